#include "document/Unicode.h"

#include "document/Errors.h"

namespace velkar {

std::size_t Utf8Sequence(std::string_view s, char32_t& cp) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    unsigned char c = b(0);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF && cont(1)) {
        cp = (char32_t(c & 0x1F) << 6) | (b(1) & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
        cp = (char32_t(c & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
        cp = (char32_t(c & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
             (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        if (cp < 0x10000 || cp > 0x10FFFF)
            return 0;
        return 4;
    }
    return 0;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) {
        if (bytes.back() != '\0')
            throw Utf16Error();
        bytes.remove_suffix(1);
    }
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (char32_t(first) << 8) | second : (char32_t(second) << 8) | first;
    };
    const std::size_t units = bytes.size() / 2;
    std::string text;
    text.reserve(units + units / 2);
    for (std::size_t i = 0; i < units; ++i) {
        char32_t cp = unit(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF)
            throw Utf16Error();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            const char32_t low = i + 1 < units ? unit(i + 1) : 0;
            if (low < 0xDC00 || low > 0xDFFF)
                throw Utf16Error();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            ++i;
        }
        AppendUtf8(text, cp);
    }
    return text;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(2 * text.size());
    const auto put = [&](char32_t unit) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    while (!text.empty()) {
        char32_t cp = 0;
        std::size_t n = Utf8Sequence(text, cp);
        if (n == 0) {
            cp = 0xFFFD;
            n = 1;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        text.remove_prefix(n);
    }
    return bytes;
}

} // namespace velkar
