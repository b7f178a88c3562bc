#pragma once
// Time codes: a start or end value written as text in the form of a document's format, and read
// back, through the format's entry (document/Format.h). Values are frames for MicroDVD and
// milliseconds otherwise.
//
//   MicroDVD          decimal integer               1234, -12
//   SubRip            "hh:nn:ss,zzz"                01:02:03,045
//   SubViewer 2.0     "hh:nn:ss.zz" (hundredths)    01:02:03.05 (also for sfUnknown, sfDamaged)
//   MPL2              "hh:nn:ss.z" (tenths)         01:02:03.1, -00:00:06.8
//   WebVTT            "hh:nn:ss.zzz"                01:02:03.045, 100:00:00.000
//   ASS/SSA           "h:nn:ss.zz" (hundredths)     1:02:03.05, -0:00:06.84
//
// The last three have no limit on the hours and take negative times, as their files do.

#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velkar {

inline constexpr std::int32_t kMillisecondsPerDay = 86400000;

// The text of `value` in the form of `format`. The clock forms of SubRip and SubViewer 2.0 take 0
// .. 86 399 999 ms; the hundredths form rounds to the nearest hundredth, ties to even (1 015 ms
// gives .02, 1 025 ms gives .02), and a rounding to 100 hundredths carries into the seconds (1 995
// ms gives 00:00:02.00). Throws TimeEncodeError for a value (or a carry) outside one day.
std::string TimeToText(SubtitleFormat format, TimeValue value);

// True when TimeToText(format, value) has a text (does not throw).
bool CanEncode(SubtitleFormat format, TimeValue value);

// The most characters a time text takes ("-2147483648", "-2501999792:59:59.999").
inline constexpr std::size_t kMaxTimeText = 24;

// Writes TimeToText(format, value) at `buffer` (room for kMaxTimeText characters) and gives the
// end of what it wrote. Throws TimeEncodeError as TimeToText does.
char* FormatTime(char* buffer, SubtitleFormat format, TimeValue value);

// Appends TimeToText(format, value) to `out` without a temporary string.
void AppendTimeText(std::string& out, SubtitleFormat format, TimeValue value);

// The value of `text` read in the form of `format`: MicroDVD replaces every space by "0" (an
// empty text is 0) and converts the whole; the clock forms read the fields at fixed columns
// (hours 1-2, minutes 4-5, seconds 7-8, then milliseconds 10-12 or hundredths 10-11) and
// ignore the separators; the hours may be one digit ("1:00:00,000", " 1:00:00,000" and
// "1 :00:00,000" are all one hour). MPL2, WebVTT and ASS/SSA read "[-]h:mm:ss", then "." or ","
// and one to three digits, rounded once to the format's unit (see ReadOpenClock). sfUnknown and
// sfDamaged give 0. Throws ConversionError for a
// field that is not an integer.
TimeValue TextToTime(SubtitleFormat format, std::string_view text);

// A clock value from fields already cut out: hours*3 600 000 + minutes*60 000 + seconds*1000
// + fraction*fractionUnit. Each field is converted by StrToInt (throws ConversionError).
// The sum wraps like 32-bit integer arithmetic.
std::int32_t ClockValue(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        std::string_view fraction, std::int32_t fractionUnit);

// Characters `first` .. `first + count - 1` of `text`, positions counted from 1; whatever part
// lies beyond the text is left out (so a short text gives a short or empty field).
std::string_view Copy(std::string_view text, std::size_t first, std::size_t count);

} // namespace velkar
