// SubRip: blocks of a counter line, a time line "hh:mm:ss,zzz --> hh:mm:ss,zzz" and text lines,
// each block closed by an empty line; values are milliseconds. A text's lines are stored joined
// by "[br]".
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/Parsing.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/formats/ScreenText.h"
#include "document/mend/FormatMending.h"

#include <algorithm>
#include <cstring>

namespace velkar {

namespace {

// Blocks of counter, time line and text lines, each closed by one empty line or by the end of
// the file; empty lines that end the file close it.
Recognition Recognise(const LineStore& lines, Progress& progress) {
    const std::size_t n = lines.size();
    progress.setMaximum(static_cast<int>(n));
    Recognition result{true, false, 0};
    std::size_t i = 0;
    auto fail = [&](std::size_t line) { result = {false, true, line}; };
    while (i < n) {
        progress.setPosition(static_cast<int>(i));
        std::size_t j = 0;
        while (i + j < n && !lines[i + j].empty())
            ++j;
        if (j == 0 && RestIsEmpty(lines, i))
            break;
        if (!IsIntegerLine(ShortString(lines[i]))) {
            fail(i);
            break;
        }
        if (i + 1 == n) { // a counter that ends the file: its time line is missing
            fail(i);
            break;
        }
        if (!IsTimeLine(ShortString(lines[i + 1]))) {
            fail(i + 1);
            break;
        }
        if (j == 2) {
            // A block without a text line: its third line, the empty one, is named (the time
            // line when the block ends the file).
            fail(i + 2 < n ? i + 2 : i + 1);
            break;
        }
        i += j + 1;
    }
    progress.setPosition(0);
    return result;
}

void Parse(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
    const std::size_t n = doc.SubtitleLines.size();
    progress.setPosition(0);
    progress.setMaximum(static_cast<int>(n) - 1);
    std::size_t i = 0;
    while (i + 1 <= n) {
        progress.setPosition(static_cast<int>(i));
        if (!IsIntegerLine(ShortString(doc.SubtitleLines[i]))) {
            ++i;
            if (i + 1 >= n)
                break;
            continue;
        }
        std::size_t column = table.add();
        auto [start, end] = ReadSubRipTimes(LineAt(doc, i + 1));
        doc.TimingTable[0][column] = start;
        doc.TimingTable[1][column] = end;
        doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(i + 1);
        // The text lines joined by "[br]", of which a short string keeps the first 255
        // characters, less the final "[br]" (or what of it the cut left).
        char text[kShortStringMax];
        std::size_t size = 0;
        auto append = [&](std::string_view piece) {
            const std::size_t count = std::min(piece.size(), kShortStringMax - size);
            if (count > 0)
                std::memcpy(text + size, piece.data(), count);
            size += count;
        };
        std::size_t c = 2;
        for (;;) {
            std::string_view line = LineAt(doc, i + c);
            if (line.empty())
                break;
            if (table.texts()) {
                append(line);
                append("[br]");
            }
            ++c;
            if (i + c + 1 >= n)
                break;
        }
        if (table.texts())
            doc.SubtitleTexts[column].assign(text, size >= 4 ? size - 4 : size);
        table.finish(column);
        i += c;
        if (i + 1 >= n)
            break;
    }
    progress.setPosition(0);
}

// The time line's first 29 characters become start " --> " end; with a `counter`, the counter
// line before it becomes that number.
void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view counter) {
    const std::size_t index = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
    LineStore& lines = doc.SubtitleLines;
    char fields[2 * kMaxTimeText + 8];
    char* last = FormatSubRipClock(fields, start);
    last = std::copy_n(" --> ", 5, last);
    last = FormatSubRipClock(last, end);
    lines.replace(index, 29, {fields, static_cast<std::size_t>(last - fields)});
    // A counter is a few digits: compared here, where a call to compare each costs more.
    const std::string_view old = lines[index - 1];
    if (!counter.empty() &&
        (old.size() != counter.size() || !std::equal(counter.begin(), counter.end(), old.begin(),
                                                     [](char a, char b) { return a == b; })))
        lines.set(index - 1, counter);
}

bool CanWrite(TimeValue value) {
    return value >= 0 && value < kMillisecondsPerDay;
}

// Each line without its tags ("<i>", "</font>") and borrowed override blocks ("{\\an8}").
void AppendScreenText(std::string& out, std::string_view stored) {
    AppendEachLine(out, stored, "[br]", [](std::string& to, std::string_view line) {
        std::string plain;
        AppendWithoutBorrowedOverrides(plain, line);
        AppendWithoutSubRipTags(to, plain);
    });
}

} // namespace

const FormatEntry kSubRipFormat = {
    .code = sfSubRip,
    .record = erSubRip,
    .jsonName = "SubRip",
    .reportName = "Subrip",
    .likelyName = "SubRip file",
    .extension = ".srt",
    .filter = "SubRip (*.srt)",
    .typedForm = "00:00:00,000",
    .frames = false,
    .unit = 1,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatSubRipClock,
    .readTime = ReadSubRipTyped,
    .linesBefore = 1,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
    .mend = mend::MendSubRip,
};

} // namespace velkar
