#include "playback/PlayerLayout.h"

#include "playback/BarMath.h"

#include <algorithm>
#include <cmath>

namespace velkar {

namespace {

// The design places of the movie panel and the smallest window (outer size).
constexpr std::int32_t kPanelLeft = 115;
constexpr std::int32_t kPanelTop = 32;
constexpr std::int32_t kDesignPanelWidth = 462;
constexpr std::int32_t kDesignPanelHeight = 230;
constexpr std::int32_t kMinOuterWidth = 600;
constexpr std::int32_t kMinOuterHeight = 433;

// The volume's step per bar position; in extended precision, as the level has always been
// computed (so that 50 gives 32767, not the even 32768 an exact 32767.5 would give).
constexpr long double kLevelPerPosition = 655.35L;

} // namespace

ZoomLayout LayOutForZoom(const NaturalRect& natural, int zoomItem, std::int32_t labelHeight,
                         std::int32_t barHeight) {
    ZoomLayout z;
    const std::int32_t w = natural.Right - natural.Left;
    const std::int32_t h = natural.Bottom;
    switch (zoomItem) {
    case 0:
        z.videoWidth = w / 2;
        z.videoHeight = h / 2;
        break;
    case 2:
        z.videoWidth = 3 * w / 2;
        z.videoHeight = 3 * h / 2;
        break;
    case 3:
        z.videoWidth = 2 * w;
        z.videoHeight = 2 * h;
        break;
    default:
        z.videoWidth = w;
        z.videoHeight = h;
        break;
    }
    return LayOutForVideo(natural, z.videoWidth, z.videoHeight, labelHeight, barHeight);
}

ZoomLayout LayOutForVideo(const NaturalRect& natural, std::int32_t width, std::int32_t height,
                          std::int32_t labelHeight, std::int32_t barHeight) {
    ZoomLayout z;
    z.videoWidth = width;
    z.videoHeight = height;
    const std::int32_t W = z.videoWidth;
    const std::int32_t H = z.videoHeight;
    z.large = W + 120 >= 590 && H + labelHeight + barHeight + 57 >= 365;
    if (z.large) {
        z.display = {natural.Left, natural.Top, W, H};
        z.panel = {kPanelLeft, kPanelTop, W, H};
    } else {
        const std::int32_t spareX = kDesignPanelWidth - W;
        const std::int32_t spareY = kDesignPanelHeight - H;
        z.display = {spareX > 0 ? spareX / 2 : 0, spareY > 0 ? spareY / 2 : 0, W, H};
        z.panel = {kPanelLeft, kPanelTop, kDesignPanelWidth, kDesignPanelHeight};
    }
    z.label = {z.panel.left, z.panel.top + z.panel.height, z.panel.width, labelHeight};
    z.bar = {z.label.left, z.label.top + z.label.height, z.panel.width, barHeight};
    z.outerWidth = std::max(W + 120, kMinOuterWidth);
    z.outerHeight = std::max(z.bar.top + barHeight + (z.large ? 35 : 25), kMinOuterHeight);
    return z;
}

VideoSize FitVideo(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
                   std::int32_t maxHeight) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    maxWidth = std::max(maxWidth, 0);
    maxHeight = std::max(maxHeight, 0);
    if (width <= maxWidth && height <= maxHeight)
        return {width, height};
    // The smaller of the two ratios, compared without rounding: width x maxHeight against
    // height x maxWidth.
    const std::int64_t byWidth = std::int64_t(height) * maxWidth;
    const std::int64_t byHeight = std::int64_t(width) * maxHeight;
    if (byWidth <= byHeight)
        return {maxWidth, std::int32_t(byWidth / std::max(width, 1))};
    return {std::int32_t(byHeight / std::max(height, 1)), maxHeight};
}

std::uint16_t VolumeLevel(int position) {
    const long double level = static_cast<long double>(position) * kLevelPerPosition;
    return static_cast<std::uint16_t>(std::clamp(RoundToInt32(level), 0, 65535));
}

int VolumePosition(std::uint16_t level) {
    return RoundToInt32(static_cast<long double>(level) / kLevelPerPosition);
}

double PlayerVolume(int position) {
    return VolumeLevel(position) * 100.0 / 65535.0;
}

int VolumePositionOfPlayer(double percent) {
    const long double level = std::clamp(
        std::nearbyint(static_cast<long double>(percent) * kLevelPerPosition), 0.0L, 65535.0L);
    return VolumePosition(static_cast<std::uint16_t>(level));
}

} // namespace velkar
