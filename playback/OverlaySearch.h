#pragma once
// The subtitle the document puts at a playback position, for the label under the picture.

#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string>

namespace velkar {

// x / 2 rounded to the nearest integer, ties to even: half(1) = 0, half(3) = 2, half(5) = 2.
std::int64_t Half(std::int64_t x);

// The index k the overlay search settles on for `pos` (in the document's unit). For starts in
// ascending order: n - 1 when pos is below start(0), 0 when it equals start(0), else the
// largest i with start(i) strictly below pos. The search gallops up by doubling the index and
// halves the window otherwise: at most 134 steps for 65 535 subtitles. Needs SubtitleCount > 0.
std::size_t FindSubtitleIndex(const SubtitleDocument& doc, TimeValue pos);

struct CurrentSubtitle {
    // The subtitle's text with its line breaks ("|" for MicroDVD, "[br]" otherwise) turned into
    // LF CR, cut to 255 characters; empty when no subtitle shows at the position.
    std::string text;
    // The line the list viewer selects (SubtitleLineIndex of the subtitle); -1 when none shows.
    std::int32_t line = -1;
};

// The subtitle showing at `pos`: subtitle k of FindSubtitleIndex when start(k) <= pos <= end(k).
// Subtitle 0 shows from its start, every later one from one unit after its start, each up to
// and including its end. A document without subtitles shows nothing.
CurrentSubtitle FindCurrentSubtitle(const SubtitleDocument& doc, TimeValue pos);

} // namespace velkar
