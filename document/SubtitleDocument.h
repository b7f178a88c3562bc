#pragma once
// The one subtitle document: the file's raw lines, the recognised format and the timing table
// parsed from them. The main window owns one; the command-line tool owns one per run.

#include "document/LineStore.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velkar {

enum SubtitleFormat : std::uint8_t {
    sfUnknown = 0,
    sfMicroDVD = 1,   // values are video frames
    sfSubRip = 2,     // values are milliseconds
    sfSubViewer2 = 3, // values are milliseconds (the file's hundredths times 10)
    sfDamaged = 4,
    sfMPL2 = 5,   // values are milliseconds (the file's tenths times 100)
    sfWebVTT = 6, // values are milliseconds
    sfASS = 7,    // Advanced SubStation Alpha; values are milliseconds (hundredths times 10)
    sfSSA = 8,    // SubStation Alpha; values as ASS
};

// Entries of ErrorLines / ErrorTexts, one per check (ASS and SSA share one).
enum ErrorRecord {
    erMicroDVD = 0,
    erSubViewer2 = 1,
    erSubRip = 2,
    erMPL2 = 3,
    erWebVTT = 4,
    erASS = 5
};
inline constexpr std::size_t kErrorRecords = 6;
using ErrorLineArray = std::array<std::int32_t, kErrorRecords>;

// True for the formats that have a timing table: all but sfUnknown and sfDamaged.
inline bool HasTimingTable(SubtitleFormat f) {
    return f != sfUnknown && f != sfDamaged && f <= sfSSA;
}

// Short strings hold at most this many characters; longer texts are cut without notice.
inline constexpr std::size_t kShortStringMax = 255;
// A document holds at most this many subtitles (the count is 16 bits wide).
inline constexpr std::size_t kMaxSubtitles = 65535;

// A value of the timing table: frames for MicroDVD, milliseconds for the other formats. WebVTT
// and ASS hours have no limit, so a value may pass what 32 bits hold (an HLS segment's cues
// count from the start of the stream: 1088 hours); the formats read none beyond kMaxTimeValue,
// which doubles (the player, the sound analysis) hold exactly.
using TimeValue = std::int64_t;
inline constexpr TimeValue kMaxTimeValue = (TimeValue{1} << 53) - 1;

struct SubtitleDocument {
    std::string SubtitleFileName;
    bool SubtitleLoaded = false;
    std::uint16_t SubtitleCount = 0;
    // Row 0 holds starts, row 1 ends, in the document's unit. Together with SubtitleTexts and
    // SubtitleLineIndex it holds at least SubtitleCount columns, one per subtitle (SubtitleTexts
    // none after a parse that did not store the texts, see ParseSubtitles).
    std::array<std::vector<TimeValue>, 2> TimingTable{std::vector<TimeValue>(1),
                                                      std::vector<TimeValue>(1)};
    std::vector<std::string> SubtitleTexts = std::vector<std::string>(1); // each <= 255 bytes
    std::vector<std::int32_t> SubtitleLineIndex; // line of each subtitle's own (time) line
    std::int32_t FirstTimeLine = 0;              // first SubViewer 2.0 time line
    // The fields (0-based, after "Dialogue:") of an ASS/SSA event that hold its start and end,
    // as the Format line above it names them: one entry from each event line on where they
    // change (a script may hold several [Events] sections with their own Format lines), in
    // order of fromLine.
    struct EventFields {
        std::int32_t fromLine = 0;
        std::int32_t start = 1;
        std::int32_t end = 2;
    };
    std::vector<EventFields> EventTimeFields = std::vector<EventFields>(1);
    LineStore SubtitleLines; // the file's bytes, split into lines
    velkar::SubtitleFormat SubtitleFormat = sfUnknown;
    std::int32_t FirstAnchor = 0;
    std::int32_t LastAnchor = 0;
    ErrorLineArray ErrorLines{}; // in the order of ErrorRecord
    std::array<std::string, kErrorRecords> ErrorTexts;
    // The message of the last parse when it failed (empty after a parse that succeeded): the
    // table then holds only the subtitles read before the failure.
    std::string ParseFailure;

    // While a subtitle is being created, the last one counted has a start but no end and no
    // lines yet; FinishedCount() leaves it out.
    bool SubtitlePending = false;
    std::string PendingText; // its whole text, written at its end

    // The byte-order mark found at the start of the file (UTF-8, or UTF-16 little or big
    // endian; empty for none): kept aside while the lines are recognised and parsed, and written
    // back in front of the first line. After a UTF-16 mark the lines hold the UTF-8 form of the
    // file's text and are written back in UTF-16.
    std::string ByteOrderMark;

    // The subtitles that have their lines: all but one still being created.
    std::size_t FinishedCount() const { return SubtitleCount - (SubtitlePending ? 1u : 0u); }

    TimeValue start(std::size_t i) const { return TimingTable[0][i]; }
    TimeValue end(std::size_t i) const { return TimingTable[1][i]; }

    // Empties the document as the start of every open does; the file name becomes `path`.
    void Reset(const std::string& path);
};

} // namespace velkar
