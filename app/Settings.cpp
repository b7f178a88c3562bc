#include "app/Settings.h"

#include "app/IniFile.h"
#include "document/Errors.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace velkar {

namespace {

std::string Join(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

Settings ReadSettings(const std::string& path, std::string* unreadable) {
    IniFile ini;
    try {
        ini = IniFile::Load(path);
    } catch (const FileOpenError& e) {
        if (unreadable)
            *unreadable =
                std::string(e.what()) +
                "\n\rVelkar starts with its default settings and leaves the file as it is.";
    }
    Settings s;
    s.BSPPath = ini.ReadString(kSettingsSection, "BSPPath", "");
    s.UseBSP = ini.ReadBool(kSettingsSection, "UseBSP", false);
    s.Agression = ini.ReadInteger(kSettingsSection, "Agression", 3);
    return s;
}

void WriteSettings(const std::string& path, const Settings& settings) {
    IniFile ini = IniFile::Load(path);
    ini.AddSection(kSettingsSection);
    ini.WriteString(kSettingsSection, "BSPPath", settings.BSPPath);
    ini.WriteBool(kSettingsSection, "UseBSP", settings.UseBSP);
    ini.WriteInteger(kSettingsSection, "Agression", settings.Agression);
    ini.Save(path);
}

std::string SettingsFilePath(const std::string& executableDir, const std::string& configHome) {
    std::error_code ec;
    if (!executableDir.empty() && std::filesystem::is_directory(executableDir, ec) &&
        ::access(executableDir.c_str(), W_OK) == 0)
        return Join(executableDir, kSettingsFileName);
    const std::string dir = Join(configHome, "velkar");
    std::filesystem::create_directories(dir, ec);
    return Join(dir, kSettingsFileName);
}

} // namespace velkar
