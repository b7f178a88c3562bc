#pragma once
// Time texts that several formats share. Values are milliseconds unless said otherwise.

#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string_view>

namespace velkar {

// Two digits of 0 .. 99 at `out`; gives the end.
char* TwoDigits(char* out, int v);

// "-12": a frame number.
char* FormatFrames(char* out, TimeValue frames);
// "hh:nn:ss,zzz", 0 .. 86 399 999 ms; else throws TimeEncodeError.
char* FormatSubRipClock(char* out, TimeValue value);
// "hh:nn:ss.zz": rounded to hundredths, ties to even, the carry going up to the hours; throws
// TimeEncodeError for a value (or a carry) outside one day.
char* FormatHundredthsClock(char* out, TimeValue value);
// The clock of a format whose hours have no limit: a "-" for a negative value, at least
// `hourDigits` hour digits, then ":mm:ss", "." and `fractionDigits` (1, 2 or 3) digits of the
// second, rounded to that fraction (ties to even). 3 725 040 ms with 1 and 2 digits is
// "1:02:05.04"; -6 840 with 1 and 2 is "-0:00:06.84". Never throws.
char* FormatOpenClock(char* out, std::int64_t value, int hourDigits, int fractionDigits);
// The most characters FormatOpenClock writes for a value within kMaxTimeValue
// ("-2501999792:59:59.999").
inline constexpr int kOpenClockMax = 21;

// The typed forms of SubRip and SubViewer 2.0 (see TextToTime) and of frames.
TimeValue ReadFramesTyped(std::string_view text);
TimeValue ReadSubRipTyped(std::string_view text);
TimeValue ReadSubViewerTyped(std::string_view text);

// A clock time typed for a format whose hours have no limit: blanks around it ignored (a blank
// inside a field reads as "0", as a mask leaves it), an optional "-", one or more hour digits,
// ":", minutes, ":", seconds, then "." or "," and one to three digits of the second (a missing
// fraction is 0): "1:02:03.5", "01:02:03,500" and "01:02:03.500" are all 3 723 500 ms. The
// result is rounded once to a multiple of `unit` ms, ties to even. Throws ConversionError naming
// the text when it does not read so or lies beyond kMaxTimeValue.
TimeValue ReadOpenClock(std::string_view text, std::int32_t unit);

// The strict reading of a file's open clock: optional "-", `minHours`+ hour digits, ":", two
// minute digits, ":", two second digits, `separator`, exactly `fractionDigits` digits. Gives the
// milliseconds and sets `ok`; `ok` false for any other text or a value beyond kMaxTimeValue.
TimeValue ReadFileClock(std::string_view text, int minHours, char separator, int fractionDigits,
                        bool& ok);

} // namespace velkar
