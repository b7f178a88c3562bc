#pragma once
// Pieces that several format entries share.

#include "document/Format.h"

#include <string>
#include <string_view>

namespace velkar {

// The entries, each defined in the file of its format.
extern const FormatEntry kMicroDVDFormat;
extern const FormatEntry kSubViewer2Format;
extern const FormatEntry kSubRipFormat;
extern const FormatEntry kMPL2Format;
extern const FormatEntry kWebVTTFormat;
extern const FormatEntry kASSFormat;
extern const FormatEntry kSSAFormat;

// Appends `text` with every `marker` replaced by LF CR.
void AppendWithBreaks(std::string& out, std::string_view text, std::string_view marker);

// Appends each line of `stored` (the pieces between `marker`s) as `line` shows it, the lines
// broken by LF CR.
void AppendEachLine(std::string& out, std::string_view stored, std::string_view marker,
                    void (*line)(std::string& out, std::string_view text));

// Whether `value` rounded once to a multiple of `unit` still lies within kMaxTimeValue either
// side of 0 (its text reads back), for the formats whose times have no other limit.
bool RoundsWithinLimit(TimeValue value, std::int32_t unit);

// Subtitle i's timing line is its own line (SubtitleLineIndex).
long long OwnLine(const SubtitleDocument& doc, std::size_t i);

// Whether lines from `from` on are all empty.
bool RestIsEmpty(const LineStore& lines, std::size_t from);

// Line `index` becomes its bytes with [at, at + size) replaced by `text`.
void ReplaceInLine(LineStore& lines, std::size_t index, std::size_t at, std::size_t size,
                   std::string_view text);

} // namespace velkar

namespace velkar {

// A field of a line: bytes [at, at + size).
struct FieldSpan {
    std::size_t at = 0;
    std::size_t size = 0;
};

// The decimal text of `value`, at least `width` digits (zeros in front, after a "-").
std::string PaddedNumber(long long value, std::size_t width);

} // namespace velkar
