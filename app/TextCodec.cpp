#include "app/TextCodec.h"

#include "document/Unicode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <tuple>
#include <utility>

namespace velkar {

namespace {

constexpr char16_t kUndefinedBase = 0xF700;
constexpr char16_t kReplacement = 0xFFFD;
// Code points as the converter reads and writes them: 32-bit numbers in this machine's order.
constexpr const char* kCodePoints =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
// The longest character of the known character sets (GB18030's four-byte form).
constexpr std::size_t kLongestCharacter = 4;

struct Charset {
    const char* name;      // as the character-set detector names it: "WINDOWS-1253"
    const char* converter; // as iconv names it
};

// Windows files come from Windows tools, so the Windows forms of the East Asian character sets
// (supersets of the standard ones) read them.
constexpr std::array<Charset, 37> kCharsets = {{
    {"WINDOWS-1250", "WINDOWS-1250"},
    {"WINDOWS-1251", "WINDOWS-1251"},
    {"WINDOWS-1252", "WINDOWS-1252"},
    {"WINDOWS-1253", "WINDOWS-1253"},
    {"WINDOWS-1254", "WINDOWS-1254"},
    {"WINDOWS-1255", "WINDOWS-1255"},
    {"WINDOWS-1256", "WINDOWS-1256"},
    {"WINDOWS-1257", "WINDOWS-1257"},
    {"WINDOWS-1258", "WINDOWS-1258"},
    {"ISO-8859-1", "ISO-8859-1"},
    {"ISO-8859-2", "ISO-8859-2"},
    {"ISO-8859-3", "ISO-8859-3"},
    {"ISO-8859-4", "ISO-8859-4"},
    {"ISO-8859-5", "ISO-8859-5"},
    {"ISO-8859-6", "ISO-8859-6"},
    {"ISO-8859-7", "ISO-8859-7"},
    {"ISO-8859-8", "ISO-8859-8"},
    {"ISO-8859-9", "ISO-8859-9"},
    {"ISO-8859-10", "ISO-8859-10"},
    {"ISO-8859-11", "ISO-8859-11"},
    {"ISO-8859-13", "ISO-8859-13"},
    {"ISO-8859-14", "ISO-8859-14"},
    {"ISO-8859-15", "ISO-8859-15"},
    {"ISO-8859-16", "ISO-8859-16"},
    {"KOI8-R", "KOI8-R"},
    {"KOI8-U", "KOI8-U"},
    {"IBM852", "IBM852"},
    {"IBM855", "IBM855"},
    {"IBM866", "IBM866"},
    {"MAC-CENTRALEUROPE", "MAC-CENTRALEUROPE"},
    {"MAC-CYRILLIC", "MAC-CYRILLIC"},
    {"TIS-620", "TIS-620"},
    {"GB18030", "GB18030"},
    {"BIG5", "BIG5-HKSCS"},
    {"SHIFT_JIS", "CP932"},
    {"EUC-JP", "EUC-JP"},
    {"EUC-KR", "CP949"},
}};

// The character sets before this index hold one byte per character.
constexpr std::size_t kFirstMultibyte = 32;
static_assert(std::string_view(kCharsets[kFirstMultibyte].name) == "GB18030");

// Other names the detector and users give these character sets.
constexpr std::array<std::pair<const char*, const char*>, 13> kAliases = {{
    {"GB2312", "GB18030"},
    {"GBK", "GB18030"},
    {"EUC-CN", "GB18030"},
    {"CP936", "GB18030"},
    {"BIG5-HKSCS", "BIG5"},
    {"CP950", "BIG5"},
    {"SJIS", "SHIFT_JIS"},
    {"CP932", "SHIFT_JIS"},
    {"WINDOWS-31J", "SHIFT_JIS"},
    {"MS_KANJI", "SHIFT_JIS"},
    {"UHC", "EUC-KR"},
    {"CP949", "EUC-KR"},
    {"TIS620", "TIS-620"},
}};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

int FindCharset(std::string_view name) {
    for (const auto& [alias, target] : kAliases)
        if (SameName(alias, name))
            name = target;
    for (std::size_t i = 0; i < kCharsets.size(); ++i)
        if (SameName(kCharsets[i].name, name))
            return static_cast<int>(i);
    if (name.size() == 6 && SameName(name.substr(0, 2), "CP")) {
        std::string windows = "WINDOWS-" + std::string(name.substr(2));
        for (std::size_t i = 0; i < kCharsets.size(); ++i)
            if (SameName(kCharsets[i].name, windows))
                return static_cast<int>(i);
    }
    return -1;
}

// The two conversions of one character set, opened once per thread (a conversion keeps state
// between calls, so threads cannot share one).
class Converter {
  public:
    explicit Converter(const char* charset)
        : m_decoder(iconv_open(kCodePoints, charset)), m_encoder(iconv_open(charset, kCodePoints)) {
    }
    ~Converter() {
        if (m_decoder != kFailed)
            iconv_close(m_decoder);
        if (m_encoder != kFailed)
            iconv_close(m_encoder);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    static Converter& For(int charset) {
        thread_local std::map<int, Converter> converters;
        auto it = converters.find(charset);
        if (it == converters.end())
            it = converters
                     .emplace(std::piecewise_construct, std::forward_as_tuple(charset),
                              std::forward_as_tuple(
                                  kCharsets[static_cast<std::size_t>(charset)].converter))
                     .first;
        return it->second;
    }

    // Decodes the character `bytes` begins with into `out` (usually one code point; a few
    // character sets give two for one character) and returns its length, or 0 when `bytes`
    // begins with no whole character.
    std::size_t DecodeOne(std::string_view bytes, std::u32string& out) {
        out.clear();
        if (m_decoder == kFailed)
            return 0;
        for (std::size_t n = 1; n <= std::min(bytes.size(), kLongestCharacter); ++n) {
            std::array<char32_t, 4> buffer{};
            char* in = const_cast<char*>(bytes.data());
            std::size_t inLeft = n;
            char* outPtr = reinterpret_cast<char*>(buffer.data());
            std::size_t outLeft = sizeof(buffer);
            iconv(m_decoder, nullptr, nullptr, nullptr, nullptr);
            const std::size_t result = iconv(m_decoder, &in, &inLeft, &outPtr, &outLeft);
            if (result == static_cast<std::size_t>(-1) && errno == EINVAL)
                continue; // a piece of a longer character: try one byte more
            if (result == static_cast<std::size_t>(-1) || inLeft != 0)
                return 0;
            if (iconv(m_decoder, nullptr, nullptr, &outPtr, &outLeft) ==
                static_cast<std::size_t>(-1))
                return 0;
            const std::size_t count = (sizeof(buffer) - outLeft) / sizeof(char32_t);
            if (count == 0)
                return 0;
            out.assign(buffer.data(), count);
            return n;
        }
        return 0;
    }

    // Appends the bytes of `cp` to `out`; false (and nothing appended) when the character set
    // cannot hold it.
    bool EncodeOne(char32_t cp, std::string& out) {
        if (m_encoder == kFailed)
            return false;
        std::array<char, 16> buffer{};
        char* in = reinterpret_cast<char*>(&cp);
        std::size_t inLeft = sizeof(cp);
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        iconv(m_encoder, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_encoder, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(m_encoder, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            outLeft == buffer.size())
            return false;
        out.append(buffer.data(), buffer.size() - outLeft);
        return true;
    }

    // What each byte 0x80..0xFF shows as, once known, where that does not depend on the bytes
    // after it (a character of one byte, or an undefined byte of an 8-bit character set):
    // 0 while not known. Asking iconv for every byte would cost far more than the text.
    std::array<char32_t, 128> alone{};

  private:
    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
    iconv_t m_decoder;
    iconv_t m_encoder;
};

bool IsUndefinedByteCharacter(char32_t cp) {
    return cp >= kUndefinedBase + 0x80u && cp <= kUndefinedBase + 0xFFu;
}

void AppendUtf16(std::u16string& text, char32_t cp) {
    if (cp >= 0x10000) {
        text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        text += static_cast<char16_t>(cp);
    }
}

// The bytes of one code point in a character set. Every character set known here keeps ASCII
// as it is, and U+F780..U+F7FF stand for the bytes 0x80..0xFF that were shown as them.
bool EncodeCharacter(Converter& converter, char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return true;
    }
    if (IsUndefinedByteCharacter(cp)) {
        out += static_cast<char>(cp - kUndefinedBase);
        return true;
    }
    return converter.EncodeOne(cp, out);
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
    codec.m_charset = FindCharset(name);
    if (codec.m_charset < 0)
        codec.m_charset = FindCharset("WINDOWS-1253");
    return codec;
}

bool TextCodec::IsKnownCodePage(std::string_view name) {
    return FindCharset(name) >= 0;
}

std::string TextCodec::Name() const {
    return IsUtf8() ? "UTF-8" : kCharsets[static_cast<std::size_t>(m_charset)].name;
}

std::u16string TextCodec::Decode(std::string_view bytes) const {
    std::u16string text;
    text.reserve(bytes.size());
    if (!IsUtf8()) {
        Converter& converter = Converter::For(m_charset);
        const bool singleByte = static_cast<std::size_t>(m_charset) < kFirstMultibyte;
        std::u32string decoded;
        std::string again;
        while (!bytes.empty()) {
            const auto first = static_cast<unsigned char>(bytes.front());
            if (first < 0x80) {
                text += static_cast<char16_t>(first);
                bytes.remove_prefix(1);
                continue;
            }
            char32_t& alone = converter.alone[first - 0x80];
            if (alone != 0) {
                AppendUtf16(text, alone);
                bytes.remove_prefix(1);
                continue;
            }
            // A character is shown only when it encodes back to the same bytes (GB18030 holds
            // U+F780..U+F7FF too, which encode to one byte here); everything else shows byte by
            // byte, each byte encoding back to itself.
            std::size_t n = converter.DecodeOne(bytes, decoded);
            if (n != 0) {
                again.clear();
                for (char32_t cp : decoded)
                    if (!EncodeCharacter(converter, cp, again))
                        n = 0;
                if (n != 0 && again != bytes.substr(0, n))
                    n = 0;
            }
            if (n == 0) {
                text += static_cast<char16_t>(kUndefinedBase + first);
                if (singleByte)
                    alone = kUndefinedBase + first;
                bytes.remove_prefix(1);
                continue;
            }
            if (n == 1 && decoded.size() == 1)
                alone = decoded[0];
            for (char32_t cp : decoded)
                AppendUtf16(text, cp);
            bytes.remove_prefix(n);
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
        AppendUtf16(text, cp);
        bytes.remove_prefix(n);
    }
    return text;
}

std::string TextCodec::Encode(std::u16string_view text) const {
    std::string bytes;
    bytes.reserve(text.size());
    Converter* converter = IsUtf8() ? nullptr : &Converter::For(m_charset);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = converter ? char32_t('?') : kReplacement;
        }
        if (!converter)
            AppendUtf8(bytes, c);
        else if (!EncodeCharacter(*converter, c, bytes))
            bytes += '?';
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
