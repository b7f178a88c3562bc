#pragma once
// One home per format. Each subtitle format the program reads is one entry of one table: how its
// lines are recognised, how its lines become the timing table, where a subtitle's start and end
// lie in its lines and how they are rewritten, how a time is read and written, its unit, the
// text a subtitle shows on screen, its Save As extension and filter, and its mending. Code
// outside the entries asks the entry of a document's format, never which format it is.
//
// Values in the table are video frames for MicroDVD and milliseconds for every other format;
// `unit` is what a new time is rounded to once (1 ms for SubRip and WebVTT, 10 ms for
// SubViewer 2.0 and ASS/SSA, which hold hundredths, 100 ms for MPL2, which holds tenths).

#include "document/Progress.h"
#include "document/SubtitleDocument.h"
#include "document/mend/MendedLines.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace velkar {

class TableBuilder;

// The map a re-timing sends every time through: old value to new value, rounded once to the
// format's unit.
using InlineMap = std::function<std::int64_t(std::int64_t)>;

// What a format's check found in the lines.
struct Recognition {
    bool passed = false;
    // Whether the check names a faulty line (a check that finds nothing of its format in the
    // lines, like SubViewer 2.0 without its "[SUBTITLE]" tag, names none).
    bool recorded = false;
    std::size_t line = 0; // the first faulty line (0-based) when recorded
    // The format of a passing check that recognises more than one (ASS or SSA); sfUnknown for
    // the entry's own.
    SubtitleFormat variant = sfUnknown;
};

struct FormatEntry {
    SubtitleFormat code;
    ErrorRecord record;          // its entry in ErrorLines / ErrorTexts
    std::string_view jsonName;   // velkar-cli's name: "SubRip"
    std::string_view reportName; // Subtitle Information: "Subrip"
    std::string_view likelyName; // the damaged-file message and the editor: "SubRip file"
    std::string_view extension;  // added by Save As to a name without one: ".srt"
    std::string_view filter;     // the Save As filter: "SubRip (*.srt)"
    std::string_view typedForm;  // a time as the anchor fields show it ("00:00:00,000"); empty
                                 // for frames, typed as a plain number
    bool frames;                 // values are frames (else milliseconds)
    std::int32_t unit;           // a new time is rounded once to a multiple of this

    // Checks the lines of a document in this format's order; gives the first faulty line.
    Recognition (*recognise)(const LineStore& lines, Progress& progress);
    // Builds the table from doc.SubtitleLines (see ParseSubtitles).
    void (*parse)(SubtitleDocument& doc, TableBuilder& table, Progress& progress);
    // Whether `value` can be written into the file's time fields.
    bool (*canWrite)(TimeValue value);
    // Writes `value` as the anchor fields and the messages show it; throws TimeEncodeError when
    // canWrite is false. Room for kMaxTimeText characters at `out`; gives the end.
    char* (*formatTime)(char* out, TimeValue value);
    // Reads a time typed in the anchor fields or on the command line; throws ConversionError.
    TimeValue (*readTime)(std::string_view text);
    // Lines before subtitle i's timing line that rewriting also touches (a SubRip counter).
    std::size_t linesBefore;
    // The line that holds subtitle i's start and end (its own line in most formats).
    long long (*timingLine)(const SubtitleDocument& doc, std::size_t i);
    // Rewrites subtitle i's time fields with `start` and `end` (values canWrite takes); a
    // non-empty `counter` is the subtitle's 1-based number, for formats that keep one. No other
    // byte of the lines changes.
    void (*writeTimes)(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                       std::string_view counter);
    // Appends the text a subtitle shows on screen (its stored text without markup, lines broken
    // by LF CR).
    void (*appendScreenText)(std::string& out, std::string_view stored);
    // Times inside the subtitles' text (WebVTT's timestamp tags), sent through the map that
    // re-times the starts and ends: with `write` false only checks that every new time can be
    // written (else throws TimeEncodeError), with `write` true rewrites them. Null for formats
    // without such times.
    void (*mapInlineTimes)(SubtitleDocument& doc, const InlineMap& map, bool write) = nullptr;
    // Mends a damaged file of this format (see Mending.h); null for formats without mending.
    mend::FormatMending mend = nullptr;
    // Whether a file whose text begins with `text` is of this format and takes NUL bytes inside
    // as characters (WebVTT reads each as U+FFFD); null for formats whose text ends at its first
    // NUL byte.
    bool (*takesNulBytes)(std::string_view text) = nullptr;
};

// The entry of `format`; nullptr for sfUnknown and sfDamaged.
const FormatEntry* FindFormat(SubtitleFormat format);

// Every format, in the order recognition tries them: MicroDVD, SubViewer 2.0, SubRip, then the
// formats that announce themselves (MPL2, WebVTT, ASS/SSA).
std::span<const FormatEntry* const> RecognitionOrder();

// Whether some format takes NUL bytes inside a file whose text (after any byte-order mark)
// begins with `text` as characters; a file of any other format that holds them is refused.
bool TakesNulBytes(std::string_view text);

// The entry that owns error record `record`.
const FormatEntry& FormatOfRecord(ErrorRecord record);

// The text subtitle `stored` of a `format` document shows in a list or a tooltip: its screen text
// (markup taken out) on one line, its line breaks shown as " | ". A format without an entry
// gives the stored text.
std::string ListText(SubtitleFormat format, std::string_view stored);

// `value` (ms) rounded once to a multiple of `unit`, a tie going to the even multiple.
std::int64_t RoundToUnit(std::int64_t value, std::int64_t unit);

} // namespace velkar
