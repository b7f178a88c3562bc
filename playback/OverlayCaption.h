#pragma once
// The text of the label under the picture: the position and the length in the document's time
// form, and for a loaded document the subtitle showing at the position.
//
//   "00:00:05,000 / 00:01:30,000"              no document loaded (form of sfUnknown otherwise)
//   "00:00:05,000 / 00:01:30,000\n\rHello"     SubRip document, "Hello" showing
//   "125 / 2250\n\r"                           MicroDVD document, nothing showing at frame 125

#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string>

namespace velkar {

// Writes the label's text for `position` and `length` (document's unit) into `out`, replacing
// what it held (its buffer is reused, so a caller that keeps `out` allocates nothing per
// tick). A time the clock forms cannot hold (outside 0 .. 23:59:59.999) is written as its plain
// number instead of failing. Returns the line of the viewer that belongs to the subtitle shown
// (its SubtitleLineIndex), or -1 when none shows.
std::int32_t OverlayCaption(const SubtitleDocument& doc, std::int32_t position, std::int32_t length,
                            std::string& out);

} // namespace velkar
