#pragma once
// The video information report: the AVI header reader's findings as the text of one message.
// Line breaks inside it are LF CR, in that order.

#include "avi/AviPars.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velkar {

// `value` rounded to three decimals, halves away from zero, in fixed-point notation: "." as the
// decimal point, "-" before a negative value, no grouping, no blanks. 25 gives "25.000",
// 23.9760246 gives "23.976", 0.0625 gives "0.063", -1.5 gives "-1.500"; a value that rounds to
// zero gives "0.000" whatever its sign. Infinities and NaN give "INF", "-INF" and "NAN".
std::string FormatFixed3(long double value);

// True when the extension of `fileName` (from its last "." after the last "/"), upper-cased,
// is ".AVI": "clip.avi" and "CLIP.Avi" have it, "clip.avi.mpg" and "avi" have not.
bool IsAviFileName(std::string_view fileName);

// The report of the movie `fileName` (shown as given): 19 lines of labels, tabs and the values
// of `aviFileSize` (bytes; also in MiB with three decimals) and `info`. The frame size reads
// height before width; the channel count is followed by " (i.e. Mono)" when it is 1 and by
// " (i.e. Stereo)" otherwise. The last line has no line end.
std::string VideoInformation(const std::string& fileName, std::int64_t aviFileSize,
                             const AviInfo& info);

} // namespace velkar
