#pragma once
// The three user settings and the file that keeps them between runs: "tavrel.ini", section
// "SETTINGS", keys in this order:
//
//   BSPPath    text     path of the external player's executable   default ""
//   UseBSP     "1"/"0"  drive the external player                  default false
//   Agression  integer  item index of the "Regression" list        default 3 ("0.0001%")
//
// ("Agression" is spelled with one "g" in every file ever written; keep it.)

#include <cstdint>
#include <string>

namespace velkar {

inline constexpr const char* kSettingsFileName = "tavrel.ini";
inline constexpr const char* kSettingsSection = "SETTINGS";

struct Settings {
    std::string BSPPath;
    bool UseBSP = false;
    // May lie outside 0..5 (then the list shows no selection); -1 stands for "no selection".
    std::int32_t Agression = 3;
};

// Reads the settings file at `path`. A missing file, and a key that is missing or does not
// read, give the defaults above. A file that is there but cannot be read also gives the
// defaults, and then `unreadable` (when given) gets the message saying so; such a file is to
// be left as it is.
Settings ReadSettings(const std::string& path, std::string* unreadable = nullptr);

// Writes the three keys to `path`, creating the file and the section as needed and keeping
// whatever else the file holds (a symbolic link is followed). Throws FileOpenError when the
// file is there but cannot be read (nothing is written then), FileCreateError when it cannot
// be written.
void WriteSettings(const std::string& path, const Settings& settings);

// Where the settings file lives: beside the executable (a portable install) when
// `executableDir` is a writable folder, otherwise in `configHome`/velkar (created when missing;
// `configHome` is the user's configuration folder, ~/.config). The result joins folder and
// file name with exactly one "/".
std::string SettingsFilePath(const std::string& executableDir, const std::string& configHome);

} // namespace velkar
