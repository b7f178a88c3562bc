#pragma once
// Settings files in the usual INI text form: "[SECTION]" on a line of its own, then one
// "key=value" line per key. Section and key names match without regard to case. Lines the
// reader does not understand (comments, blank lines) are kept and written back as they were;
// keys keep their order, new keys go to the end of their section, new sections to the end of
// the file, and a section without keys is still written.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

class IniFile {
  public:
    IniFile() = default;

    // Reads the whole file at `path` (a symbolic link is followed). A missing file reads as an
    // empty one. Throws FileOpenError when the file is there but cannot be read (no permission,
    // not a regular file, above 256 MiB).
    static IniFile Load(const std::string& path);
    // Reads INI text (lines split at CR LF, lone CR or lone LF; a NUL byte is kept as data).
    static IniFile Parse(std::string_view text);

    // The value of `key` in `section` with the spaces around it removed, or `fallback` when the
    // key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // The value read as an integer (decimal, or hexadecimal after "$", "x", "0x"); `fallback`
    // when the key is missing or the value is not a whole number within 32 bits.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    // True when the value reads as a non-zero integer; `fallback` when it does not read.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets `key` in `section`, creating both as needed. Line breaks in `value` are dropped, so
    // a value always stays on its own line.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Stored as "1" or "0".
    void WriteBool(std::string_view section, std::string_view key, bool value);
    // Makes sure `section` exists, even without keys.
    void AddSection(std::string_view section);

    // The file's text, every line ended by CR LF.
    std::string Text() const;
    // Writes Text() to `path` with SafeWrite (a symbolic link is followed and kept). Throws
    // FileCreateError "Cannot create file <path>: <reason>" when it cannot be written.
    void Save(const std::string& path) const;

  private:
    struct Line {
        std::string text; // the line as read, or as it will be written
        std::string key;  // the key name for a key line, empty otherwise
        bool isSection = false;
        std::string name; // the section name for a section line
    };
    // Index of the section line of `section`, or -1.
    std::ptrdiff_t FindSection(std::string_view section) const;
    // Index of the key line of `key` in `section`, or -1.
    std::ptrdiff_t FindKey(std::string_view section, std::string_view key) const;

    std::vector<Line> m_lines;
};

} // namespace velkar
