#pragma once
// Opening a subtitle file as "Open Subtitle" does, for commands that have no editor to repair
// a file in.

#include "document/Parsing.h"
#include "document/SubtitleDocument.h"

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <string>

namespace velkar::cli {

// Reads, recognises and parses `path` into `doc` (with or without the subtitles' texts, as
// ParseSubtitles). Throws VelkarError with the program's message when the file is empty ("The
// Subtitle file holds no subtitles"), not supported ("The Subtitle file you selected is not
// supported by Velkar") or damaged (the damaged-file message naming the first faulty line), and
// whatever reading or parsing throws.
// A `path` of "-" reads standard input (`in`) instead, as ReadInput.
//
// With `mended` given, a file that mending puts right is mended first (document/Mending.h) and
// *mended gets the list of what was changed (empty when nothing was); without it such a file is
// refused as before, its message ending "(velkar-cli mend can mend it)".
void OpenSubtitle(SubtitleDocument& doc, const std::string& path,
                  SubtitleTextsWanted texts = SubtitleTextsWanted::Yes,
                  std::string* mended = nullptr);
void OpenSubtitle(SubtitleDocument& doc, const std::string& path, std::istream& in,
                  SubtitleTextsWanted texts = SubtitleTextsWanted::Yes,
                  std::string* mended = nullptr);

// Resets the document for `path` and reads its lines (as ReadDocument); a `path` of "-" reads
// the bytes of `in` to its end instead, at most 256 MiB of them. Throws what ReadDocument
// throws; for standard input, FileOpenError "Cannot open file -" when it cannot be read and
// "Cannot open file -: The file is larger than 256 MiB" beyond that size.
void ReadInput(SubtitleDocument& doc, const std::string& path, std::istream& in);

// Prints the list of what mending changed (OpenSubtitle's `mended`), one line each, after
// "mended:"; nothing when the list is empty.
void PrintMended(std::ostream& out, const std::string& list);

// Registers "--mend" on `command`: mend a file that mending puts right before the work.
void AddMendFlag(CLI::App& command, bool& mend);

// Name of a format in JSON output: MicroDVD, SubRip, SubViewer2, Unknown, Damaged.
const char* JsonFormatName(SubtitleFormat format);

// True when paths `a` and `b` name one file (the same file, a link to it, or the same path
// spelled differently), so that writing `b` would destroy `a`. Standard input and output ("-")
// are never the same file.
bool SameFile(const std::string& a, const std::string& b);

} // namespace velkar::cli
