#pragma once
// Writing a re-timed table back into the document's lines.

#include "document/Progress.h"
#include "document/Report.h"
#include "document/SubtitleDocument.h"

#include <cstdint>
#include <vector>

namespace velkar {

// Index of the line that carries subtitle `i`'s times, as the format's entry says: its own line
// (SubtitleLineIndex) in most formats, line FirstTimeLine + 3i for SubViewer 2.0.
long long TimingLineIndex(const SubtitleDocument& doc, std::size_t i);

// Checks that the times in `starts` and `ends` (columns 0 .. SubtitleCount - 1) can all be
// written into `doc`'s lines: every value has a text in the document's form (else
// TimeEncodeError, naming the subtitle on its second line with the advice for `source`, see
// OutsideDayText) and every subtitle's timing line (and SubRip counter line) exists (else
// ListIndexError). Subtitles are checked in order; the first fault throws.
void CheckTimingLines(const SubtitleDocument& doc, const std::vector<TimeValue>& starts,
                      const std::vector<TimeValue>& ends, TimeSource source);
// As CheckTimingLines for the one subtitle `i` with these times.
void CheckTimingLine(const SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                     TimeSource source);

// Rewrites the timing of every subtitle in doc.SubtitleLines from `starts` and `ends`, in place;
// no other byte of a line changes (the format's entry writes them, see document/Format.h):
//   MicroDVD: the line's two brace fields become "{start}{end}"; what follows its second "}"
//     stays.
//   SubRip: the counter line before the time line becomes the 1-based number; the time line's
//     first 29 characters become start " --> " end.
//   SubViewer 2.0: the time line's first 23 characters become start "," end.
//   MPL2, WebVTT, ASS/SSA: each time field whose value changes is written in the form it had.
// Text, empty and header lines are never rewritten. Call only with values that passed
// CheckTimingLines.
void WriteTimingLines(SubtitleDocument& doc, const std::vector<TimeValue>& starts,
                      const std::vector<TimeValue>& ends, Progress& progress);

// Rewrites the time line of the one subtitle `k` (0-based, a finished one) from its table values,
// as WriteTimingLines would, but leaves a SubRip counter alone: only that line changes. Throws
// TimeEncodeError or ListIndexError without changing anything; does nothing for a document
// without a table or a `k` beyond the finished subtitles.
void RewriteTimingLine(SubtitleDocument& doc, std::size_t k);

// Rewrites doc.SubtitleLines from its own table; all or nothing (nothing changes on a throw).
void RebuildLines(SubtitleDocument& doc, Progress& progress);

} // namespace velkar
