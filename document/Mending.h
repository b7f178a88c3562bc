#pragma once
// Mending: the common faults of real subtitle files, put right in one step. A file that
// recognition finds Damaged or Unknown is mended when every fault it has is one mending knows;
// the result is the file's own lines, of which only the mended lines differ (every other line
// keeps its bytes and its line end), and the list of what was changed. Nothing here changes a
// document: the caller decides, with the user, whether to take the mended lines.

#include "document/LineStore.h"
#include "document/SubtitleDocument.h"

#include <cstddef>
#include <string>
#include <vector>

namespace velkar {

// One kind of fault that mending puts right.
enum class MendKind {
    InvisibleMark,    // invisible format characters before a counter, time line or MicroDVD line
    BlankLine,        // a line of only blanks or tabs, made empty
    ForeignLine,      // a line before the first subtitle that belongs to no format
    ExtraEmptyLine,   // an empty line the format does not allow there
    MissingEmptyLine, // the empty line that ends a subtitle, added
    JoinedText,       // an empty line inside a subtitle's text
    BlockWithoutText, // a subtitle without text
    BlockWithoutTime, // a counter and text without a time line
    MissingCounter,   // a SubRip counter written where there was none
    GarbledCounter,   // a SubRip counter that is not a number, rewritten
    TimeLine,         // a time line written in the standard form, same times
    HeaderWritten,    // the standard SubViewer 2.0 header put in front
    UnreadableCue,    // a WebVTT cue whose timing line does not read, removed whole
};

// All changes of one kind: how many, and the first line (counted from 0 in the file as read;
// for an added line, the file's line it stands before).
struct MendEntry {
    MendKind kind;
    std::size_t count = 0;
    std::size_t firstLine = 0;
};

inline constexpr std::size_t kMendedLine = static_cast<std::size_t>(-1);

struct Mending {
    // The format the mended lines open as; sfUnknown when the file cannot be mended (or needs
    // nothing: then `entries` is empty and `fault` too).
    SubtitleFormat format = sfUnknown;
    LineStore lines;                // the mended lines (empty when not mended)
    std::vector<MendEntry> entries; // in the order of MendKind
    // For each mended line, the file's line (from 0) it is, unchanged in bytes and line end;
    // kMendedLine for a line that mending rewrote or added.
    std::vector<std::size_t> kept;
    // The first fault that mending cannot put right: its line (from 0) and a message
    // ("(Line:7) negative time"); empty when mended or when nothing needed mending.
    std::size_t faultLine = 0;
    std::string fault;

    bool mended() const { return format != sfUnknown; }
};

// Mends `lines` when they do not open as they are. A file that opens as it is gives no entries
// and no fault. The mended lines always pass recognition as `format` and parse.
Mending MendLines(const LineStore& lines);

// One line per kind of change: "39 missing counters written (first at line 323)", lines counted
// from 1. LF CR between lines, as every message.
std::string MendList(const Mending& mending);
// The short form for the result row: "Mended: 39 missing counters, 2 time lines".
std::string MendSummary(const Mending& mending);

} // namespace velkar
