#pragma once
// The straight line that re-timing maps every start and end through, evaluated exactly in
// integers and rounded once.

#include <cstdint>

namespace velkar {

// The line through (x1, y1) with slope rise / run, in the document's unit (frames or
// milliseconds). A value v maps to y1 + (v - x1) * rise / run, computed exactly and rounded
// once to the nearest multiple of `unit` (1, or 10 where the file holds whole hundredths), a
// tie going to the even multiple. Example: through (1000, 2000) with slope 3 / 2, unit 1, v =
// 1001 maps to 2001.5, which rounds to 2002; with unit 10, v = 1003 maps to 2004.5 -> 2000.
struct StraightLine {
    std::int64_t x1 = 0;
    std::int64_t y1 = 0;
    std::int64_t rise = 1;
    std::int64_t run = 1; // never 0
    std::int64_t unit = 1;

    // The value `v` maps to, exactly rounded. `v`, x1 and y1 may be any values of 33 bits or
    // less, rise and run of 33 bits or less: nothing overflows.
    __int128 at(std::int64_t v) const;
};

// `numerator` / `denominator` rounded to the nearest integer, ties to even (7 / 2 -> 4, 5 / 2 ->
// 2, -5 / 2 -> -2). `denominator` must not be 0.
__int128 DivideRoundingToEven(__int128 numerator, __int128 denominator);

} // namespace velkar
