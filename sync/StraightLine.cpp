#include "sync/StraightLine.h"

#include <cassert>

namespace velkar {

namespace {

// The same rounding in 64 bits, where both fit: a 128-bit division is a library call, several
// times slower, and every value of a usual document takes this way.
std::int64_t DivideRoundingToEven64(std::int64_t numerator, std::int64_t denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    std::int64_t quotient = numerator / denominator;
    std::int64_t remainder = numerator % denominator;
    if (remainder < 0) { // to the floor, so that the remainder lies in [0, denominator)
        --quotient;
        remainder += denominator;
    }
    const std::int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient & 1) != 0))
        ++quotient;
    return quotient;
}

constexpr __int128 kLimit64 = (static_cast<__int128>(1) << 62);

} // namespace

__int128 DivideRoundingToEven(__int128 numerator, __int128 denominator) {
    assert(denominator != 0);
    if (numerator > -kLimit64 && numerator < kLimit64 && denominator > -kLimit64 &&
        denominator < kLimit64)
        return DivideRoundingToEven64(static_cast<std::int64_t>(numerator),
                                      static_cast<std::int64_t>(denominator));
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    __int128 quotient = numerator / denominator;
    __int128 remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    const __int128 twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient & 1) != 0))
        ++quotient;
    return quotient;
}

LineMap::LineMap(const StraightLine& line) : m_line(line), m_unit(line.unit) {
    // y1 + (v - x1) * rise / run = (y1 * run - x1 * rise + v * rise) / run, in units of `unit`.
    __int128 offset =
        static_cast<__int128>(line.y1) * line.run - static_cast<__int128>(line.x1) * line.rise;
    __int128 rise = line.rise;
    __int128 divisor = static_cast<__int128>(line.run) * line.unit;
    if (divisor < 0) {
        offset = -offset;
        rise = -rise;
        divisor = -divisor;
    }
    constexpr __int128 kOffsetLimit = static_cast<__int128>(1) << 60;
    constexpr __int128 kRiseLimit = static_cast<__int128>(1) << 28;
    m_fast = offset > -kOffsetLimit && offset < kOffsetLimit && rise > -kRiseLimit &&
             rise < kRiseLimit && divisor > 0 && divisor < kOffsetLimit;
    if (m_fast) {
        m_offset = static_cast<std::int64_t>(offset);
        m_rise = static_cast<std::int64_t>(rise);
        m_divisor = static_cast<std::int64_t>(divisor);
    }
}

__int128 StraightLine::at(std::int64_t v) const {
    // y1 + (v - x1) * rise / run = (y1 * run + (v - x1) * rise) / run, in units of `unit`.
    const __int128 numerator =
        static_cast<__int128>(y1) * run + static_cast<__int128>(v - x1) * rise;
    return DivideRoundingToEven(numerator, static_cast<__int128>(run) * unit) * unit;
}

} // namespace velkar
