#pragma once
// Texts the program shows about a document. Line breaks inside them are LF CR, in that order.

#include "document/SubtitleDocument.h"

#include <array>
#include <cstdint>
#include <string>

namespace velkar {

// The format whose check got furthest: the one with the largest error line, the first in the
// order of recognition on a tie (MicroDVD, SubViewer 2.0, SubRip, MPL2, WebVTT, ASS/SSA).
// `errorLines` in the order of ErrorRecord, as SubtitleDocument::ErrorLines; the three-entry form
// holds the first three.
ErrorRecord MostLikelyFormat(const ErrorLineArray& errorLines);
ErrorRecord MostLikelyFormat(const std::array<std::int32_t, 3>& errorLines);
ErrorRecord MostLikelyFormat(const SubtitleDocument& doc);

// How the damaged-file message and the editor name a format: "MicroDVD file", "SubViewer 2.0
// file", "SubRip file", "MPL2 file", "WebVTT file", "ASS/SSA file".
std::string LikelyFormatName(ErrorRecord format);

// "The Subtitle file seems to be a <format> file, but it has at least one error:" followed (LF
// CR first for MicroDVD and SubViewer 2.0) by that format's error text; cut to 255 characters.
std::string DamagedFileMessage(const SubtitleDocument& doc);

// The question asked about a damaged file: DamagedFileMessage, LF CR twice, "Try to fix
// errors?", cut to 255 characters.
std::string DamagedFileQuestion(const SubtitleDocument& doc);

// The "Subtitle Information" report: format name, the frame rate of a MicroDVD file that gives
// one on its first line ("Frame Rate:" TAB the number as written), total lines, the first and the
// last subtitle's start (TimeToText) and text. Without subtitles nothing follows the tabs of the
// first and last entries. Throws TimeEncodeError for a start that has no text (see StartText).
std::string SubtitleInformation(const SubtitleDocument& doc);

// Where a time that lies outside the day came from; each source has its own advice.
enum class TimeSource {
    File,         // read from the subtitle file: mend the line in the editor
    TypedAnchors, // a re-timing by the true times typed for the anchors
    Sound,        // true times found in the movie's sound (Auto Synch, autosync)
    Player,       // the player's position, taken for a created or repaired subtitle
};

// The second line of a TimeEncodeError about subtitle `i` (0-based) whose start (or end, with
// `end`) `value` lies outside the day a time text can show. It names the subtitle and, for a
// time of the file or a re-timing, its time line, both counted from 1, and says what to do for
// `source`. Example (TypedAnchors): "Subtitle 17 (line 66) would start before 00:00:00. A
// subtitle file's times run from 00:00:00 to 23:59:59: check the true times typed for the
// anchors."
std::string OutsideDayText(const SubtitleDocument& doc, std::size_t i, bool end, TimeValue value,
                           TimeSource source);

// The second line of a TimeEncodeError for a player position `value` (a time taken with "Set
// Time") outside the day: "The player's position is at 24:00:00 or later. A subtitle file's
// times run from 00:00:00 to 23:59:59: take the time at an earlier place in the movie, or type
// it." (a later place for a position before 00:00:00).
std::string PlayerPositionText(TimeValue value);

// TimeToText of subtitle `i`'s start (or end, with `end`; 0-based). Throws TimeEncodeError with
// OutsideDayText for `source` as its second line when the time has no text.
std::string SubtitleTimeText(const SubtitleDocument& doc, std::size_t i, bool end,
                             TimeSource source);
// SubtitleTimeText of a start read from the file (a SubRip file whose times pass 24 hours).
std::string StartText(const SubtitleDocument& doc, std::size_t i);

// Name of a format in the report: "MicroDVD player", "Subrip", "SubViewer v2.0", "MPL2",
// "WebVTT", "Advanced SubStation Alpha", "SubStation Alpha", "Unknown", "Damaged".
std::string ReportFormatName(SubtitleFormat format);

} // namespace velkar
