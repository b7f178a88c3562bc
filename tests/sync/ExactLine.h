#pragma once
// The reference for re-timing: a value lies on the straight line through (x1, y1) with slope
// rise / run when it is the exact fraction y = y1 + (v - x1) * rise / run to within half a unit,
// and on an exact tie it is the even multiple of the unit. Judged from the fraction itself, not
// by dividing.

#include <cstdint>
#include <gtest/gtest.h>

namespace velkar::test {

inline testing::AssertionResult OnTheLine(std::int64_t v, std::int64_t result, std::int64_t x1,
                                          std::int64_t y1, std::int64_t rise, std::int64_t run,
                                          std::int64_t unit) {
    if (result % unit != 0)
        return testing::AssertionFailure() << result << " is not a multiple of " << unit;
    // y = p / q with q > 0.
    __int128 p = static_cast<__int128>(y1) * run + static_cast<__int128>(v - x1) * rise;
    __int128 q = run;
    if (q < 0) {
        p = -p;
        q = -q;
    }
    const __int128 off = p - static_cast<__int128>(result) * q; // (y - result) * q
    const __int128 twice = 2 * (off < 0 ? -off : off);
    const __int128 half = unit * q; // twice the distance against the unit
    if (twice < half || (twice == half && (result / unit) % 2 == 0))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << v << " maps to " << result << ", off the line through (" << x1 << ", " << y1
           << ") with slope " << rise << "/" << run << " by "
           << static_cast<double>(off) / static_cast<double>(q);
}

} // namespace velkar::test
