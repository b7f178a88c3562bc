#include "document/LineTests.h"

#include "document/IntegerConversion.h"

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

struct Separator {
    std::string_view text;
    std::size_t position; // from 1
};

// Each separator must stand at its position and be the first occurrence of its text after the
// end of the previous separator.
template <std::size_t N> bool SeparatorsInPlace(std::string_view t, const Separator (&layout)[N]) {
    std::size_t from = 0; // 0-based index where the search for the next separator starts
    for (const auto& sep : layout) {
        auto found = t.find(sep.text, from);
        if (found == std::string_view::npos || found + 1 != sep.position)
            return false;
        from = found + sep.text.size();
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
