#include "document/formats/ScreenText.h"

#include <charconv>
#include <cstdint>

namespace velkar {

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// The character a reference at the start of `text` (just after its "&", up to its ";") stands
// for; 0 for none.
std::uint32_t Reference(std::string_view name) {
    struct Named {
        std::string_view name;
        std::uint32_t code;
    };
    static constexpr Named kNamed[] = {{"amp", '&'},   {"lt", '<'},     {"gt", '>'},
                                       {"nbsp", 0xA0}, {"lrm", 0x200E}, {"rlm", 0x200F},
                                       {"quot", '"'},  {"apos", '\''}};
    for (const Named& n : kNamed)
        if (n.name == name)
            return n.code;
    if (name.size() < 2 || name[0] != '#')
        return 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || code == 0 ||
        code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return code;
}

} // namespace

void AppendWithoutControlCodes(std::string& out, std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] == '{' && k + 2 < text.size() && IsLetter(text[k + 1]) && text[k + 2] == ':') {
            const std::size_t close = text.find('}', k);
            if (close != std::string_view::npos) {
                k = close + 1;
                continue;
            }
        }
        out.push_back(text[k++]);
    }
}

void AppendWithoutTags(std::string& out, std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] == '<') {
            const std::size_t close = text.find('>', k);
            if (close != std::string_view::npos) {
                k = close + 1;
                continue;
            }
        }
        out.push_back(text[k++]);
    }
}

void AppendWithoutSubRipTags(std::string& out, std::string_view text) {
    const auto tagLength = [](std::string_view at) -> std::size_t {
        std::size_t k = 1;
        if (k < at.size() && at[k] == '/')
            ++k;
        std::size_t nameEnd = k;
        while (nameEnd < at.size() && IsLetter(at[nameEnd]))
            ++nameEnd;
        std::string name(at.substr(k, nameEnd - k));
        for (char& c : name)
            c = static_cast<char>(c | 0x20);
        if (name != "i" && name != "b" && name != "u" && name != "s" && name != "font")
            return 0;
        if (nameEnd < at.size() && at[nameEnd] == '>')
            return nameEnd + 1;
        if (name != "font" || nameEnd >= at.size() || at[nameEnd] != ' ')
            return 0;
        const std::size_t close = at.find('>', nameEnd);
        return close == std::string_view::npos ? 0 : close + 1;
    };
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] == '<') {
            if (const std::size_t length = tagLength(text.substr(k))) {
                k += length;
                continue;
            }
        }
        out.push_back(text[k++]);
    }
}

void AppendWithoutBorrowedOverrides(std::string& out, std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] == '{' && k + 1 < text.size() && text[k + 1] == '\\') {
            const std::size_t close = text.find('}', k);
            if (close != std::string_view::npos) {
                k = close + 1;
                continue;
            }
        }
        out.push_back(text[k++]);
    }
}

void AppendDecodingReferences(std::string& out, std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        if (text[k] == '&') {
            const std::size_t semicolon = text.find(';', k);
            if (semicolon != std::string_view::npos && semicolon - k <= 10) {
                if (const std::uint32_t code = Reference(text.substr(k + 1, semicolon - k - 1))) {
                    AppendUtf8(out, code);
                    k = semicolon + 1;
                    continue;
                }
            }
        }
        out.push_back(text[k++]);
    }
}

void AppendWithoutOverrides(std::string& out, std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        const char c = text[k];
        if (c == '{') {
            const std::size_t close = text.find('}', k);
            if (close != std::string_view::npos) {
                k = close + 1;
                continue;
            }
        }
        if (c == '\\' && k + 1 < text.size()) {
            const char next = text[k + 1];
            if (next == 'N' || next == 'n') {
                out.append("\n\r");
                k += 2;
                continue;
            }
            if (next == 'h') {
                out.push_back(' ');
                k += 2;
                continue;
            }
        }
        out.push_back(c);
        ++k;
    }
}

} // namespace velkar
