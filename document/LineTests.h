#pragma once
// The structural tests that recognition applies to single lines. Each sees at most the first
// 255 characters of the line (the caller cuts it with ShortString).

#include "document/SubtitleDocument.h"

#include <string_view>

namespace velkar {

// The first 255 characters of `text`: how a line is seen by recognition and parsing.
inline std::string_view ShortString(std::string_view text) {
    return text.substr(0, kShortStringMax);
}

inline bool IsEmptyLine(std::string_view t) {
    return t.empty();
}
// A line of spaces counts as non-empty.
inline bool IsNonEmptyLine(std::string_view t) {
    return !t.empty();
}
// The whole line converts as an integer (see TryStrToInt).
bool IsIntegerLine(std::string_view t);
// Empty, or two brace pairs in order: "{" before "}", where an absent character counts as
// position 0, and the second pair's "{" right after the first "}" (so "{10}{20}x" and "a{1}{2}"
// pass; "{10}", "{500}600}x", "}x}" and "Hello" fail).
bool IsMicroDVDLine(std::string_view t);
// The frame rate that many MicroDVD files give on their first line: "{1}{1}" or "{0}{0}", then
// a decimal number (digits, optionally one "." or "," and more digits) and nothing else but
// blanks and tabs, as "{1}{1}23.976", "{1}{1}23.976 " or "{0}{0}25". Gives that number without
// the blanks and tabs, or an empty view for any other line.
std::string_view FrameRateOf(std::string_view line);
// A time line: exactly 23 characters is the SubViewer 2.0 layout hh:mm:ss.cc,hh:mm:ss.cc, any
// other length the SubRip layout hh:mm:ss,mmm --> hh:mm:ss,mmm (26 characters at least). Only
// the places of the separators are tested, not the digits.
bool IsTimeLine(std::string_view t);
// The "[SUBTITLE]" line that ends a SubViewer 2.0 header, in any letter case.
bool IsSubtitleTag(std::string_view t);

} // namespace velkar
