#pragma once
// How the main window lays itself out around a movie of a given size and zoom, and the
// sound level's mapping between the volume bar and the 16-bit output level.

#include <cstdint>

namespace velkar {

// A rectangle as left, top, width, height (client pixels).
struct Box {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// The movie's display rectangle as the player reports it after opening, as corners; Right and
// Bottom are 0 for an audio file.
struct NaturalRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// The zoom items of the window: 0 "0.5x", 1 "1.0x", 2 "1.5x", 3 "2.0x".
inline constexpr int kZoomItems = 4;

struct ZoomLayout {
    std::int32_t videoWidth = 0;  // W
    std::int32_t videoHeight = 0; // H
    bool large = false;           // the panel takes the video's size
    Box display;                  // the video inside the movie panel
    Box panel;                    // the movie panel in the window
    Box label;                    // the subtitle label under the panel
    Box bar;                      // the position bar under the label
    std::int32_t outerWidth = 0;  // the window with its frame, at least 600
    std::int32_t outerHeight = 0; // at least 433
};

// The layout for `zoomItem` (0..3; anything else counts as "1.0x") of a movie with display
// rectangle `natural`, for a label `labelHeight` high and a bar `barHeight` high.
//   W = (Right - Left) x zoom and H = Bottom x zoom (Top is not subtracted), halves cut
//   toward zero. The layout is large when W + 120 >= 590 and H + labelHeight + barHeight + 57
//   >= 365: the panel becomes W x H at (115, 32) and the video fills it from the natural
//   left/top. Otherwise the panel keeps its design size 462 x 230 at (115, 32) and the video is
//   centred in it (an offset that would be negative is 0).
//   The label sits under the panel with its width, the bar under the label. The window is
//   W + 120 wide and bar top + bar height + 35 (large) or + 25 (small) high, never less
//   than 600 x 433.
// Example: 640 x 480 at "1.0x" gives the panel (115, 32, 640, 480), the label at top 512,
// the bar at top 562 and a window of 760 x 617.
ZoomLayout LayOutForZoom(const NaturalRect& natural, int zoomItem, std::int32_t labelHeight,
                         std::int32_t barHeight);

// The same layout for a video shown `width` x `height` (already zoomed): what LayOutForZoom
// does once it has W and H.
ZoomLayout LayOutForVideo(const NaturalRect& natural, std::int32_t width, std::int32_t height,
                          std::int32_t labelHeight, std::int32_t barHeight);

// The video size of the shape `width` x `height` that fits `maxWidth` x `maxHeight`: the size
// itself when it fits, otherwise scaled down (both sides by the same factor, cut toward zero)
// until it does. Never negative. 1920 x 1080 into 1160 x 800 gives 1160 x 652.
struct VideoSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const VideoSize&, const VideoSize&) = default;
};
VideoSize FitVideo(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
                   std::int32_t maxHeight);

// The output level (0..65535) for volume bar position `position` (0..100): position x 655.35
// in extended precision, rounded to nearest with ties to even. 25 gives 16384, 50 gives
// 32767 (the product lies just below the half), 100 gives 65535.
std::uint16_t VolumeLevel(int position);

// The volume bar position (0..100) for an output level word (0..65535): the nearest integer
// to level / 655.35. 32768 and 32767 give 50, 327 gives 0, 65535 gives 100.
int VolumePosition(std::uint16_t level);

// The players' volume (0..100, their software volume) for volume bar position `position`
// (0..100): the output level as a share of the full 65535. 50 gives 32767 / 655.35 = 49.9992.
double PlayerVolume(int position);

// The volume bar position (0..100) for a player's volume `percent` (0..100, clamped): the
// position of the output level nearest to it. 50 gives 50, 100 gives 100, 0.1 gives 0.
int VolumePositionOfPlayer(double percent);

// The 32-bit stereo value of a level: the level in both the low (left) and high (right) halves.
inline std::uint32_t StereoLevel(std::uint16_t level) {
    return static_cast<std::uint32_t>(level) | (static_cast<std::uint32_t>(level) << 16);
}

} // namespace velkar
