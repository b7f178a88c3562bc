// libFuzzer entry point: any bytes as a settings file. Every line is kept as it was; a value
// written reads back; every other key reads as before, as a plain reading of the rules finds.

#include "app/IniFile.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

// What each key reads as: a key belongs to the section line above it; only the first block of
// a section name counts, and in it the first line of a key (names without regard to case).
using Keys = std::map<std::pair<std::string, std::string>, std::string>;
Keys ReadKeys(const std::vector<std::string>& lines, std::map<std::string, std::string>& names) {
    Keys keys;
    std::set<std::string> seen;
    std::string section;
    bool counts = false;
    for (const std::string& raw : lines) {
        const std::string_view t = Trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            section = Lower(Trim(t.substr(1, t.size() - 2)));
            counts = seen.insert(section).second;
            names.emplace(section, std::string(Trim(t.substr(1, t.size() - 2))));
        } else if (const auto eq = t.find('='); eq != std::string_view::npos && t.front() != ';') {
            const std::string key = Lower(Trim(t.substr(0, eq)));
            if (counts && !key.empty())
                keys.emplace(std::make_pair(section, key), std::string(Trim(t.substr(eq + 1))));
        }
    }
    return keys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    if (size < 2)
        return 0;
    // Two bytes choose the section and key written; the rest is the file.
    const std::string section = "S" + std::to_string(data[0] % 4);
    const std::string key = "k" + std::to_string(data[1] % 4);
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<std::string> lines = Lines(text);

    IniFile ini = IniFile::Parse(text);
    std::string expected;
    for (const std::string& line : lines)
        expected += line + "\r\n";
    if (ini.Text() != expected) // every line kept, byte for byte
        std::abort();

    std::map<std::string, std::string> names;
    const Keys before = ReadKeys(lines, names);
    for (const auto& [name, value] : before)
        if (ini.ReadString(names[name.first], name.second, "\x01") != value)
            std::abort();

    // The value written: the last line of the file, which may hold anything but a line break.
    const std::string value = lines.empty() ? std::string() : lines.back();
    ini.WriteString(section, key, value);
    const IniFile reread = IniFile::Parse(ini.Text());
    if (reread.ReadString(section, key, "\x01") != Trim(value))
        std::abort();
    for (const auto& [name, old] : before)
        if (!(name.first == Lower(section) && name.second == key) &&
            reread.ReadString(names[name.first], name.second, "\x01") != old)
            std::abort();
    return 0;
}
