#pragma once
// The arithmetic of the position bar under the picture: where the thumb stands for a playback
// position, which position a mouse X on the bar asks for, and the right-click step. Positions
// and lengths are in the player's unit (milliseconds, or frames while a MicroDVD document is
// loaded); x values are pixels.
//
// Worked example, the design bar (left 115, width 462, thumb 16 wide) and a length of 100 000 ms:
// position 50 000 puts the thumb's left edge at 223; a press at X = 346 asks for
// nearest((346 - 115 - 8) x 100000 / 446) = 50 000; X = 123 asks for 0, X = 569 for 100 000.

#include "document/SubtitleDocument.h"

#include <cstdint>

namespace velkar {

// Width of the thumb bitmap in pixels, and the bar's height.
inline constexpr std::int32_t kThumbWidth = 16;
inline constexpr std::int32_t kBarHeight = 20;

// x rounded to the nearest integer, ties to even, kept inside the 32-bit range.
std::int32_t RoundToInt32(long double x);

// Left edge of the thumb for `position` of `length`: nearest((barWidth - thumbWidth) x
// (position / length)), the quotient formed first. A length of 0 or less has no quotient:
// the thumb stays at 0. A position beyond the length gives an x beyond the bar (not clamped).
std::int32_t ThumbLeft(std::int32_t barWidth, std::int32_t thumbWidth, std::int32_t position,
                       std::int32_t length);

// Where a press or a drag at client X puts the thumb, and the position it asks for.
struct BarTarget {
    std::int32_t thumbX;   // thumb's left edge inside the bar, 0 .. barWidth - thumbWidth
    std::int32_t position; // 0 .. length, player's unit
};

// The thumb and position for mouse X over a bar at `barLeft`, `barWidth` pixels wide:
//   X <= barLeft + half              thumb 0, position 0
//   X >= barLeft + barWidth - half   thumb barWidth - thumbWidth, position length
//   otherwise                        thumb X - barLeft - half,
//                                    position nearest((X - barLeft - thumbWidth / 2.0) x
//                                             (length / (barWidth - thumbWidth)))
// where half = thumbWidth / 2 in whole pixels.
BarTarget TargetAt(std::int32_t x, std::int32_t barLeft, std::int32_t barWidth,
                   std::int32_t thumbWidth, std::int32_t length);

// The right-click step of the bar: 25 frames for a MicroDVD document, 1000 ms for every other
// format (including none and a damaged one).
std::int32_t BarStep(SubtitleFormat format);

} // namespace velkar
