// SubViewer 2.0: a header, a "[SUBTITLE]" tag, then blocks of three lines from the first time
// line on: "hh:mm:ss.zz,hh:mm:ss.zz", the text, an empty line. Values are milliseconds, written
// in whole hundredths.
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/Parsing.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/mend/FormatMending.h"

#include <algorithm>

namespace velkar {

namespace {

Recognition Recognise(const LineStore& lines, Progress& progress) {
    const long long n = static_cast<long long>(lines.size());
    long long tag = -1;
    for (long long i = 0; i < n; ++i) {
        if (IsSubtitleTag(ShortString(lines[i]))) {
            tag = i;
            break;
        }
    }
    if (tag < 0)
        return {};
    const long long first = tag + 2;
    progress.setMaximum(static_cast<int>((n - 1 - first) / 3));
    Recognition result{true, false, 0};
    for (long long k = 0;; ++k) {
        const long long l = first + 3 * k;
        progress.setPosition(static_cast<int>(first + k + 1));
        if (l + 2 >= n - 1)
            break;
        std::size_t failed = 0;
        if (!IsTimeLine(ShortString(lines[l])))
            failed = static_cast<std::size_t>(l);
        else if (!IsNonEmptyLine(lines[l + 1]))
            failed = static_cast<std::size_t>(l + 1);
        else if (!IsEmptyLine(lines[l + 2]))
            failed = static_cast<std::size_t>(l + 2);
        else
            continue;
        result = {false, true, failed};
        break;
    }
    progress.setPosition(0);
    return result;
}

void Parse(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
    const auto& lines = doc.SubtitleLines;
    const std::size_t n = lines.size();
    progress.setPosition(0);
    progress.setMaximum(static_cast<int>(n) - 1);
    for (std::size_t i = 0; i < n; ++i) {
        if (IsTimeLine(ShortString(lines[i]))) {
            doc.FirstTimeLine = static_cast<std::int32_t>(i);
            break;
        }
    }
    progress.setMaximum(static_cast<int>(n) - doc.FirstTimeLine - 1);
    for (std::size_t i = static_cast<std::size_t>(std::max(doc.FirstTimeLine, 0)); i < n; i += 3) {
        progress.setPosition(static_cast<int>(i));
        // Files that end with several empty lines: the stride may land on one of them.
        if (lines[i].empty() && RestIsEmpty(lines, i))
            break;
        std::size_t column = table.add();
        auto [start, end] = ReadSubViewerTimes(ShortString(lines[i]));
        doc.TimingTable[0][column] = start;
        doc.TimingTable[1][column] = end;
        doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(i);
        const std::string_view text = LineAt(doc, i + 1);
        if (table.texts())
            doc.SubtitleTexts[column].assign(text);
        table.finish(column);
    }
    progress.setPosition(0);
}

// Blocks of three lines from the first time line, whatever SubtitleLineIndex says (a subtitle
// being created has none yet).
long long TimingLine(const SubtitleDocument& doc, std::size_t i) {
    return static_cast<long long>(doc.FirstTimeLine) + 3LL * static_cast<long long>(i);
}

// The time line's first 23 characters become start "," end.
void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view) {
    const std::size_t index = static_cast<std::size_t>(TimingLine(doc, i));
    char fields[2 * kMaxTimeText + 8];
    char* last = FormatHundredthsClock(fields, start);
    *last++ = ',';
    last = FormatHundredthsClock(last, end);
    doc.SubtitleLines.replace(index, 23, {fields, static_cast<std::size_t>(last - fields)});
}

bool CanWrite(TimeValue value) {
    // The hundredths form rounds 23:59:59.995 and later up to 24 hours.
    return value >= 0 && value < kMillisecondsPerDay - 5;
}

void AppendScreenText(std::string& out, std::string_view stored) {
    AppendWithBreaks(out, stored, "[br]");
}

} // namespace

const FormatEntry kSubViewer2Format = {
    .code = sfSubViewer2,
    .record = erSubViewer2,
    .jsonName = "SubViewer2",
    .reportName = "SubViewer v2.0",
    .likelyName = "SubViewer 2.0 file",
    .extension = ".sub",
    .filter = "SubViewer 2.0 (*.sub)",
    .typedForm = "00:00:00.00",
    .frames = false,
    .unit = 10,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatHundredthsClock,
    .readTime = ReadSubViewerTyped,
    .linesBefore = 0,
    .timingLine = TimingLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
    .mend = mend::MendSubViewer,
};

} // namespace velkar
