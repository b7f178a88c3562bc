#pragma once
// Texts the program shows about a document. Line breaks inside them are LF CR, in that order.

#include "document/SubtitleDocument.h"

#include <array>
#include <cstdint>
#include <string>

namespace velkar {

// The format whose check got furthest: the one with the largest error line (MicroDVD on a tie
// with both others, then SubViewer 2.0 on a tie with SubRip). `errorLines` in the order of
// ErrorRecord, as SubtitleDocument::ErrorLines.
ErrorRecord MostLikelyFormat(const std::array<std::int32_t, 3>& errorLines);
ErrorRecord MostLikelyFormat(const SubtitleDocument& doc);

// How the damaged-file message and the editor name a format: "MicroDVD file", "SubViewer 2.0
// file", "SubRip file".
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
// first and last entries. Throws TimeEncodeError for a start that has no text.
std::string SubtitleInformation(const SubtitleDocument& doc);

// Name of a format in the report: "MicroDVD player", "Subrip", "SubViewer v2.0", "Unknown",
// "Damaged".
std::string ReportFormatName(SubtitleFormat format);

} // namespace velkar
