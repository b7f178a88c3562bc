#include "app/TextCodec.h"

#include "app/CodePageTables.h"
#include "document/Unicode.h"

#include <algorithm>
#include <cctype>

namespace velkar {

namespace {

constexpr char16_t kUndefinedBase = 0xF700;
constexpr char16_t kReplacement = 0xFFFD;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

int FindTable(std::string_view name) {
    for (std::size_t i = 0; i < codepages::kTables.size(); ++i)
        if (SameName(codepages::kTables[i].name, name))
            return static_cast<int>(i);
    if (name.size() == 6 && SameName(name.substr(0, 2), "CP")) {
        std::string windows = "WINDOWS-" + std::string(name.substr(2));
        for (std::size_t i = 0; i < codepages::kTables.size(); ++i)
            if (SameName(codepages::kTables[i].name, windows))
                return static_cast<int>(i);
    }
    return -1;
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        char32_t cp = 0;
        std::size_t n = Utf8Sequence(bytes, cp);
        if (n == 0)
            return false;
        bytes.remove_prefix(n);
    }
    return true;
}

TextCodec TextCodec::CodePage(std::string_view name) {
    TextCodec codec;
    codec.m_table = FindTable(name);
    if (codec.m_table < 0)
        codec.m_table = FindTable("WINDOWS-1253");
    return codec;
}

bool TextCodec::IsKnownCodePage(std::string_view name) {
    return FindTable(name) >= 0;
}

std::string TextCodec::Name() const {
    return IsUtf8() ? "UTF-8" : codepages::kTables[static_cast<std::size_t>(m_table)].name;
}

std::u16string TextCodec::Decode(std::string_view bytes) const {
    std::u16string text;
    text.reserve(bytes.size());
    if (!IsUtf8()) {
        const auto& upper = codepages::kTables[static_cast<std::size_t>(m_table)].upper;
        for (char ch : bytes) {
            auto b = static_cast<unsigned char>(ch);
            if (b < 0x80)
                text += static_cast<char16_t>(b);
            else if (char16_t c = upper[b - 0x80u])
                text += c;
            else
                text += static_cast<char16_t>(kUndefinedBase + b);
        }
        return text;
    }
    while (!bytes.empty()) {
        char32_t cp = 0;
        std::size_t n = Utf8Sequence(bytes, cp);
        if (n == 0) {
            // Only a piece of a document can be malformed here (a text cut at 255 bytes).
            text += kReplacement;
            bytes.remove_prefix(1);
            continue;
        }
        if (cp >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(cp);
        }
        bytes.remove_prefix(n);
    }
    return text;
}

std::string TextCodec::Encode(std::u16string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    if (IsUtf8()) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = kReplacement;
            }
            AppendUtf8(bytes, c);
        }
        return bytes;
    }
    const auto& upper = codepages::kTables[static_cast<std::size_t>(m_table)].upper;
    for (char16_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
            continue;
        }
        if (c >= kUndefinedBase + 0x80 && c <= kUndefinedBase + 0xFF &&
            upper[c - kUndefinedBase - 0x80u] == 0) {
            bytes += static_cast<char>(c - kUndefinedBase);
            continue;
        }
        auto it = std::find(upper.begin(), upper.end(), c);
        bytes += it == upper.end() ? '?' : static_cast<char>(0x80 + (it - upper.begin()));
    }
    return bytes;
}

TextCodec ChooseCodec(const LineStore& lines, std::string_view guess) {
    if (std::all_of(lines.begin(), lines.end(),
                    [](std::string_view line) { return IsValidUtf8(line); }))
        return TextCodec();
    // Subtitle files come from Windows tools. The curly quotes and dashes they write at
    // 0x91..0x97 are control codes in ISO-8859-1 and ISO-8859-9 and letters in the Mac code
    // pages, which is what leads the detector to those names for Windows files.
    if (SameName(guess, "ISO-8859-1") || SameName(guess, "MAC-CENTRALEUROPE"))
        guess = "WINDOWS-1252";
    else if (SameName(guess, "ISO-8859-9"))
        guess = "WINDOWS-1254";
    else if (SameName(guess, "MAC-CYRILLIC"))
        guess = "WINDOWS-1251";
    return TextCodec::CodePage(guess);
}

} // namespace velkar
