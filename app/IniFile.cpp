#include "app/IniFile.h"

#include "document/IntegerConversion.h"
#include "document/LineIo.h"
#include "document/SafeWrite.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sys/stat.h>

namespace velkar {

namespace {

std::string_view Trim(std::string_view s) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string OneLine(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

} // namespace

IniFile IniFile::Load(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return IniFile(); // not there yet (a link to no file counts as not there)
    return Parse(ReadWholeFile(path));
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile file;
    // Split at CR LF, lone CR and lone LF; every other byte, NUL included, is kept.
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
    for (std::string& raw : lines) {
        Line line;
        std::string_view t = Trim(raw);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            line.isSection = true;
            line.name = std::string(Trim(t.substr(1, t.size() - 2)));
        } else if (auto eq = t.find('='); eq != std::string_view::npos && t.front() != ';') {
            line.key = std::string(Trim(t.substr(0, eq)));
        }
        line.text = std::move(raw);
        file.m_lines.push_back(std::move(line));
    }
    return file;
}

std::ptrdiff_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].isSection && SameName(m_lines[i].name, section))
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t IniFile::FindKey(std::string_view section, std::string_view key) const {
    std::ptrdiff_t s = FindSection(section);
    if (s < 0)
        return -1;
    for (std::size_t i = static_cast<std::size_t>(s) + 1; i < m_lines.size(); ++i) {
        if (m_lines[i].isSection)
            break;
        if (!m_lines[i].key.empty() && SameName(m_lines[i].key, key))
            return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    std::ptrdiff_t k = FindKey(section, key);
    if (k < 0)
        return std::string(fallback);
    std::string_view text = m_lines[static_cast<std::size_t>(k)].text;
    return std::string(Trim(text.substr(text.find('=') + 1)));
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t fallback) const {
    if (FindKey(section, key) < 0)
        return fallback;
    return TryStrToInt(ReadString(section, key, {})).value_or(fallback);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::AddSection(std::string_view section) {
    if (FindSection(section) >= 0)
        return;
    Line line;
    line.isSection = true;
    line.name = std::string(section);
    line.text = "[" + line.name + "]";
    m_lines.push_back(std::move(line));
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string text = std::string(key) + "=" + OneLine(value);
    if (std::ptrdiff_t k = FindKey(section, key); k >= 0) {
        m_lines[static_cast<std::size_t>(k)].text = text;
        return;
    }
    AddSection(section);
    // After the last key line of the section, so that blank lines and comments that end the
    // section stay below it.
    std::size_t s = static_cast<std::size_t>(FindSection(section));
    std::size_t at = s + 1;
    for (std::size_t i = s + 1; i < m_lines.size() && !m_lines[i].isSection; ++i)
        if (!m_lines[i].key.empty())
            at = i + 1;
    Line line;
    line.key = std::string(key);
    line.text = text;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
    std::string text;
    for (const Line& line : m_lines)
        text += line.text + "\r\n";
    return text;
}

void IniFile::Save(const std::string& path) const {
    SafeWriteBytes(path, Text());
}

} // namespace velkar
