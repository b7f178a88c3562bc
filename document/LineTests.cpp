#include "document/LineTests.h"

#include "document/IntegerConversion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace velkar {

namespace {

// Position (from 1) of the first `c` in `t`, 0 when absent.
std::size_t Pos(std::string_view t, char c) {
    auto p = t.find(c);
    return p == std::string_view::npos ? 0 : p + 1;
}

bool BracePairPasses(std::string_view t) {
    return Pos(t, '}') > Pos(t, '{');
}

// A separator of a time line: its text and its position (from 1).
struct Separator {
    std::string_view text;
    std::size_t position;
};

// Each separator must stand at its position and be the first occurrence of its text after the
// end of the previous separator. The caller has checked that the line is long enough for the
// last separator; the gaps between separators are a few characters.
template <std::size_t N> bool SeparatorsInPlace(std::string_view t, const Separator (&layout)[N]) {
    const char* c = t.data();
    std::size_t from = 0; // 0-based index where the search for the next separator starts
    for (const auto& sep : layout) {
        const std::size_t at = sep.position - 1;
        const std::size_t len = sep.text.size();
        if (std::memcmp(c + at, sep.text.data(), len) != 0)
            return false;
        for (std::size_t k = from; k < at; ++k)
            if (c[k] == sep.text[0] && std::memcmp(c + k, sep.text.data(), len) == 0)
                return false;
        from = at + len;
    }
    return true;
}

constexpr Separator kSubViewerLayout[] = {{":", 3},  {":", 6},  {".", 9}, {",", 12},
                                          {":", 15}, {":", 18}, {".", 21}};
constexpr Separator kSubRipLayout[] = {{":", 3},  {":", 6},  {",", 9}, {" --> ", 13},
                                       {":", 20}, {":", 23}, {",", 26}};

// The usual time line: digits wherever a pattern has a "0", the separators of the layout
// everywhere else. No separator begins with a digit, so each one found in place is also the
// first of its kind after the one before, and such a line passes SeparatorsInPlace. It is
// checked eight characters at a time: each word of the line, masked, must equal the pattern's,
// where a digit's byte has its high half fixed to 3 and must keep it when 6 is added (0x30 to
// 0x39 do, 0x3A to 0x3F do not; a byte that passed the mask carries nothing into the next).
struct PatternWord {
    std::size_t at;
    std::uint64_t mask, value, digits;
};

constexpr PatternWord Word(std::string_view pattern, std::size_t at) {
    PatternWord word{at, 0, 0, 0};
    for (std::size_t k = 0; k < 8; ++k) {
        const std::uint64_t c = static_cast<unsigned char>(pattern[at + k]);
        const std::size_t shift = 8 * k; // the byte order of a little-endian load
        if (c == '0') {
            word.mask |= 0xF0ull << shift;
            word.value |= 0x30ull << shift;
            word.digits |= 0xF0ull << shift;
        } else {
            word.mask |= 0xFFull << shift;
            word.value |= c << shift;
        }
    }
    return word;
}

template <std::size_t N>
bool PlainTimeLine(std::string_view t, std::string_view pattern, const PatternWord (&words)[N]) {
    if constexpr (std::endian::native == std::endian::little) {
        bool plain = true;
        for (const PatternWord& word : words) {
            std::uint64_t x;
            std::memcpy(&x, t.data() + word.at, sizeof x);
            const std::uint64_t sixes = (word.digits >> 4) & 0x0606060606060606u;
            plain &= (x & word.mask) == word.value &&
                     ((x + sixes) & word.digits) == (word.value & word.digits);
        }
        return plain;
    } else {
        for (std::size_t k = 0; k < pattern.size(); ++k)
            if (pattern[k] == '0' ? static_cast<unsigned char>(t[k]) - 48u > 9u
                                  : t[k] != pattern[k])
                return false;
        return true;
    }
}

constexpr std::string_view kPlainSubViewer = "00:00:00.00,00:00:00.00";
constexpr PatternWord kPlainSubViewerWords[] = {Word(kPlainSubViewer, 0), Word(kPlainSubViewer, 8),
                                                Word(kPlainSubViewer, 15)};
constexpr std::string_view kPlainSubRip = "00:00:00,000 --> 00:00:00,"; // to the last separator
constexpr PatternWord kPlainSubRipWords[] = {Word(kPlainSubRip, 0), Word(kPlainSubRip, 8),
                                             Word(kPlainSubRip, 16), Word(kPlainSubRip, 18)};

} // namespace

bool IsIntegerLine(std::string_view t) {
    // A counter is a few plain digits; anything else takes the whole conversion.
    if (!t.empty() && t.size() <= 9 &&
        std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return true;
    return !t.empty() && TryStrToInt(t).has_value();
}

std::string_view FrameRateOf(std::string_view line) {
    if (!line.starts_with("{1}{1}") && !line.starts_with("{0}{0}"))
        return {};
    const std::string_view rate = line.substr(6);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t k = 0;
    while (k < rate.size() && digit(rate[k]))
        ++k;
    if (k == 0)
        return {};
    if (k < rate.size() && (rate[k] == '.' || rate[k] == ',')) {
        const std::size_t fraction = ++k;
        while (k < rate.size() && digit(rate[k]))
            ++k;
        if (k == fraction)
            return {};
    }
    // Blanks and tabs after the number belong to the line, not to a subtitle text.
    const std::size_t number = k;
    while (k < rate.size() && (rate[k] == ' ' || rate[k] == '\t'))
        ++k;
    return k == rate.size() ? rate.substr(0, number) : std::string_view();
}

bool IsMicroDVDLine(std::string_view t) {
    if (t.empty())
        return true;
    if (!BracePairPasses(t))
        return false;
    // The second field opens right after the first closes: "{500}600}x" is not a line.
    const std::string_view rest = t.substr(Pos(t, '}')); // everything after the first "}"
    return !rest.empty() && rest[0] == '{' && BracePairPasses(rest);
}

bool IsTimeLine(std::string_view t) {
    if (t.size() == 23)
        return PlainTimeLine(t, kPlainSubViewer, kPlainSubViewerWords) ||
               SeparatorsInPlace(t, kSubViewerLayout);
    if (t.size() < 26)
        return false;
    return PlainTimeLine(t, kPlainSubRip, kPlainSubRipWords) || SeparatorsInPlace(t, kSubRipLayout);
}

bool IsSubtitleTag(std::string_view t) {
    static constexpr std::string_view tag = "[SUBTITLE]";
    if (t.size() != tag.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != tag[i])
            return false;
    }
    return true;
}

} // namespace velkar
