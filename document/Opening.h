#pragma once
// The steps of opening and re-checking a document that need no window. The main window runs
// them around its dialogs (the damaged-file question, the editor); the command-line tool runs
// them in a row.

#include "document/Detection.h"
#include "document/Mending.h"
#include "document/Parsing.h"
#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <string>
#include <vector>

namespace velkar {

// Resets the document for `path` and reads the file's lines into it. Throws FileOpenError.
void ReadDocument(SubtitleDocument& doc, const std::string& path);

// Zeroes ErrorLines, recognises the lines and stores the format in the document.
Detection Recognise(SubtitleDocument& doc, Progress& progress);

// Parses the recognised lines (as ParseSubtitles), sets the anchors to the first and the last
// subtitle and marks the document loaded. Throws what ParseSubtitles throws; the document is
// loaded all the same, with the failure in ParseFailure, so that its lines can be mended in the
// editor and saved (commands that need the table refuse it, see RequireParsedTable).
void FinishOpen(SubtitleDocument& doc, Progress& progress,
                std::vector<std::string>* dialogs = nullptr,
                SubtitleTextsWanted texts = SubtitleTextsWanted::Yes);

// Takes mended lines (MendLines of the document's lines) into the document and recognises them
// again; the byte-order mark and the file name stay. The caller has the user's agreement.
void ApplyMending(SubtitleDocument& doc, const Mending& mending, Progress& progress);

// Puts the anchors on the first and the last finished subtitle (both 0 when there is none).
void ResetAnchors(SubtitleDocument& doc);

} // namespace velkar
