#pragma once
// Writing a re-timed table back into the document's lines.

#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velkar {

// One line of the document replaced by a new text.
struct LineEdit {
    std::size_t line;
    std::string text;
};

// The lines that carry the timing of `doc`'s subtitles, rewritten for the times in `starts`
// and `ends` (columns 0 .. SubtitleCount - 1); no other byte of a line changes:
//   MicroDVD: the subtitle's own line (SubtitleLineIndex) becomes "{start}{end}" followed by
//     everything after the line's second "}".
//   SubRip: the counter line before the time line becomes the 1-based number; the time line
//     becomes start " --> " end followed by its characters after the 29th.
//   SubViewer 2.0: line FirstTimeLine + 3i becomes start "," end followed by its characters
//     after the 23rd.
// Text, empty and header lines are never rewritten. Times are written by TimeToText (throws
// TimeEncodeError); a subtitle whose line lies outside the document throws ListIndexError.
std::vector<LineEdit> TimingLineEdits(const SubtitleDocument& doc,
                                      const std::vector<std::int32_t>& starts,
                                      const std::vector<std::int32_t>& ends, Progress& progress);

// Replaces the edited lines of doc.SubtitleLines.
void ApplyLineEdits(SubtitleDocument& doc, std::vector<LineEdit>&& edits);

// Rewrites doc.SubtitleLines from its own table; all or nothing (nothing changes on a throw).
void RebuildLines(SubtitleDocument& doc, Progress& progress);

} // namespace velkar
