#include "playback/BarMath.h"

#include <cmath>
#include <limits>

namespace velkar {

std::int32_t RoundToInt32(long double x) {
    constexpr auto lowest = static_cast<long double>(std::numeric_limits<std::int32_t>::min());
    constexpr auto highest = static_cast<long double>(std::numeric_limits<std::int32_t>::max());
    if (std::isnan(x))
        return 0;
    // The default rounding mode rounds halves to the even neighbour.
    const long double r = std::nearbyint(x);
    if (r <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    if (r >= highest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
}

std::int32_t ThumbLeft(std::int32_t barWidth, std::int32_t thumbWidth, std::int32_t position,
                       std::int32_t length) {
    if (length <= 0)
        return 0;
    const long double fraction =
        static_cast<long double>(position) / static_cast<long double>(length);
    return RoundToInt32(static_cast<long double>(barWidth - thumbWidth) * fraction);
}

BarTarget TargetAt(std::int32_t x, std::int32_t barLeft, std::int32_t barWidth,
                   std::int32_t thumbWidth, std::int32_t length) {
    const std::int32_t half = thumbWidth / 2;
    const std::int64_t rel = static_cast<std::int64_t>(x) - barLeft;
    if (rel <= half)
        return {0, 0};
    if (rel >= static_cast<std::int64_t>(barWidth) - half || barWidth <= thumbWidth)
        return {barWidth - thumbWidth, length};
    const long double perPixel =
        static_cast<long double>(length) / static_cast<long double>(barWidth - thumbWidth);
    const long double offset = static_cast<long double>(rel) - thumbWidth / 2.0L;
    return {static_cast<std::int32_t>(rel - half), RoundToInt32(offset * perPixel)};
}

std::int32_t BarStep(SubtitleFormat format) {
    return format == sfMicroDVD ? 25 : 1000;
}

} // namespace velkar
