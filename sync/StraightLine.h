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

// A StraightLine made ready to map many values: the same results as at(), but where the line's
// terms are small enough (any line through times of a day or frames of a film) a value takes
// one 64-bit multiplication and division, inline, instead of 128-bit arithmetic.
class LineMap {
  public:
    explicit LineMap(const StraightLine& line);

    __int128 operator()(std::int64_t v) const {
        if (m_fast && v > -kValueLimit && v < kValueLimit) {
            // y = (offset + v * rise) / divisor, the divisor positive, rounded to the nearest
            // whole quotient, a tie to the even one.
            const std::int64_t numerator = m_offset + v * m_rise;
            std::int64_t quotient = numerator / m_divisor;
            std::int64_t remainder = numerator % m_divisor;
            if (remainder < 0) {
                --quotient;
                remainder += m_divisor;
            }
            const std::int64_t twice = 2 * remainder;
            quotient += twice > m_divisor || (twice == m_divisor && (quotient & 1) != 0);
            return static_cast<__int128>(quotient) * m_unit;
        }
        return m_line.at(v);
    }

  private:
    // Values of 32 bits, offsets below 2^60 and rises below 2^28 keep every term below 2^61.
    static constexpr std::int64_t kValueLimit = std::int64_t{1} << 32;
    StraightLine m_line;
    bool m_fast = false;
    std::int64_t m_offset = 0, m_rise = 0, m_divisor = 1, m_unit = 1;
};

// `numerator` / `denominator` rounded to the nearest integer, ties to even (7 / 2 -> 4, 5 / 2 ->
// 2, -5 / 2 -> -2). `denominator` must not be 0.
__int128 DivideRoundingToEven(__int128 numerator, __int128 denominator);

} // namespace velkar
