#include "document/LineTests.h"

#include "document/IntegerConversion.h"

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

} // namespace

bool IsIntegerLine(std::string_view t) {
    return TryStrToInt(t).has_value();
}

bool IsMicroDVDLine(std::string_view t) {
    if (t.empty())
        return true;
    if (!BracePairPasses(t))
        return false;
    std::size_t close = Pos(t, '}');
    return BracePairPasses(t.substr(close)); // everything after the first "}"
}

bool IsTimeLine(std::string_view t) {
    if (t.size() == 23)
        return SeparatorsInPlace(t, kSubViewerLayout);
    if (t.size() < 26)
        return false;
    return SeparatorsInPlace(t, kSubRipLayout);
}

} // namespace velkar
