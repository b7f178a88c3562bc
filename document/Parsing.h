#pragma once
// Parsing a recognised document into its timing table.

#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velkar {

// Start and end in milliseconds of a SubRip time line: start at columns 1-2, 4-5, 7-8, 10-12,
// end at 18-19, 21-22, 24-25, 27-29. Throws ConversionError for a field that is not a number.
std::pair<std::int32_t, std::int32_t> ReadSubRipTimes(std::string_view line);

// Start and end in milliseconds of a SubViewer 2.0 time line: start at columns 1-2, 4-5, 7-8,
// 10-11 (hundredths), end at 13-14, 16-17, 19-20, 22-23. Throws ConversionError.
std::pair<std::int32_t, std::int32_t> ReadSubViewerTimes(std::string_view line);

// The dialog-list entry of subtitle `index` (0-based): "<index + 1>) <text>".
std::string DialogEntry(std::size_t index, std::string_view text);

// Whether ParseSubtitles stores each subtitle's text. Work that needs only the times (a sync
// from the command line) leaves them empty; the lines are read, and fail, the same either way.
enum class SubtitleTextsWanted : bool { No, Yes };

// A MicroDVD line of 6 characters or fewer is skipped (an empty line), unless it is "{n}{m}", a
// subtitle without text. A MicroDVD document's frame-rate line (its first line, see FrameRateOf) is
// not a subtitle: it is left out of the table, the count and the dialog list.
//
// Builds SubtitleCount, TimingTable, SubtitleTexts, SubtitleLineIndex (and FirstTimeLine for
// SubViewer 2.0) from doc.SubtitleLines by the rules of doc.SubtitleFormat; other formats give
// an empty table. The arrays hold one column per subtitle; with `texts` No SubtitleTexts is left
// empty (65,535 empty strings would cost 2 MiB for nothing).
// When `dialogs` is given it is emptied and receives one DialogEntry per subtitle (and the
// texts are stored whatever `texts` says).
//
// Throws ConversionError for a time or frame field that is not a number, ListIndexError for a
// line read past the end, and VelkarError "The Subtitle file holds more than 65535 subtitles".
// On a failure the table holds the subtitles added so far (the count includes the one being
// added) and doc.ParseFailure the message; a parse that succeeds empties it.
// Throws UnparsedDocumentError when the last parse of `doc` failed: its table holds only what was
// read before the failure, and re-timing, picking anchors or repairing a dialog on it would
// corrupt the file.
void RequireParsedTable(const SubtitleDocument& doc);

void ParseSubtitles(SubtitleDocument& doc, Progress& progress,
                    std::vector<std::string>* dialogs = nullptr,
                    SubtitleTextsWanted texts = SubtitleTextsWanted::Yes);

} // namespace velkar
