#pragma once
// Authoring a new SubViewer 2.0 document from a plain text, one dialog per line: each
// "Dialog Start" / "Dialog End" pair of presses adds a subtitle at the player's positions
// (milliseconds), taking the next line of the text.

#include "document/SubtitleDocument.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

// The twelve header lines every created document starts with (the fifth has no closing
// bracket); the first time line follows them.
inline constexpr std::array<std::string_view, 12> kCreatedHeader = {
    "[INFORMATION]",     "[AUTHOR]", "[SOURCE]",   "[PRG]",
    "[FILEPATH",         "[DELAY]",  "[CD TRACK]", "[COMMENT]",
    "[END INFORMATION]", "",         "[SUBTITLE]", "[COLF]&HFFFFFF,[STYLE]no,[SIZE]18,[FONT]Arial"};

// The text of a dialog for which the plain text has no line.
inline constexpr std::string_view kInsertTextHere = "Insert text Here";

// Replaces the document by an empty created one: the twelve header lines, no subtitles,
// SubViewer 2.0, loaded, first time line 12, nothing pending. The file name and the anchors
// are kept (the anchors are reset to the first and the last subtitle as the count changes).
void StartCreation(SubtitleDocument& doc);

struct DialogStarted {
    std::string text;              // the pending text (whole, not cut)
    std::int32_t viewerEntry = -1; // list viewer entry to select (2n - 1), -1 for none
};

// "Dialog Start" at `position` ms: adds subtitle n (pending until its end) with start
// `position` and the text of line n - 1 of `plainText` (or "Insert text Here"; the stored
// text is cut to 255 characters). Its SubtitleLineIndex is the viewer entry 2n - 1 of its text.
DialogStarted DialogStart(SubtitleDocument& doc, const LineStore& plainText, std::int32_t position);

struct DialogEnded {
    std::string dialogEntry;       // "n) text" for the dialog list
    std::int32_t viewerEntry = -1; // list viewer entry to select (2n), -1 for none
};

// "Dialog End" at `position` ms: gives the pending subtitle its end and appends its three lines
// (time line, the whole text, an empty line). Throws TimeEncodeError when the start or the end
// has no text, with OutsideDayText for the player's position as its second line (the end is
// stored all the same, and the subtitle stays pending). Does nothing
// and gives an empty entry when no subtitle is pending.
DialogEnded DialogEnd(SubtitleDocument& doc, const LineStore& plainText, std::int32_t position);

} // namespace velkar
