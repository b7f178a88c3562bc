#include "sync/RebuildLines.h"

#include "document/Errors.h"
#include "document/TimeCode.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

namespace velkar {

long long TimingLineIndex(const SubtitleDocument& doc, std::size_t i) {
    if (doc.SubtitleFormat == sfSubViewer2)
        return static_cast<long long>(doc.FirstTimeLine) + 3LL * static_cast<long long>(i);
    return doc.SubtitleLineIndex[i];
}

void CheckTimingLines(const SubtitleDocument& doc, const std::vector<std::int32_t>& starts,
                      const std::vector<std::int32_t>& ends) {
    const SubtitleFormat format = doc.SubtitleFormat;
    if (!HasTimingTable(format))
        return;
    const long long lines = static_cast<long long>(doc.SubtitleLines.size());
    for (std::size_t i = 0; i < doc.FinishedCount(); ++i) {
        const long long line = TimingLineIndex(doc, i);
        const long long first = format == sfSubRip ? line - 1 : line; // the counter line
        if (first < 0)
            throw ListIndexError(first);
        if (line >= lines)
            throw ListIndexError(line);
        if (!CanEncode(format, starts[i]) || !CanEncode(format, ends[i]))
            throw TimeEncodeError();
    }
}

namespace {

// The two brace fields of a MicroDVD line: up to and including its second "}".
std::size_t MicroDVDFieldsLength(std::string_view line) {
    std::size_t first = line.find('}');
    std::size_t second = first == std::string_view::npos ? first : line.find('}', first + 1);
    return second == std::string_view::npos ? 0 : second + 1;
}

// Writes "<start><separator><end>" at `out` and gives its end.
char* TimePair(char* out, SubtitleFormat format, std::int32_t start, std::string_view separator,
               std::int32_t end) {
    out = FormatTime(out, format, start);
    out = std::copy(separator.begin(), separator.end(), out);
    return FormatTime(out, format, end);
}

} // namespace

namespace {

// Writes subtitle i's times into its timing line; with `renumber`, a SubRip counter line also
// becomes the subtitle's 1-based number.
void WriteTimingLine(SubtitleDocument& doc, std::size_t i, std::int32_t start, std::int32_t end,
                     bool renumber) {
    const SubtitleFormat format = doc.SubtitleFormat;
    const std::size_t index = static_cast<std::size_t>(TimingLineIndex(doc, i));
    LineStore& lines = doc.SubtitleLines;
    char fields[2 * kMaxTimeText + 8];
    switch (format) {
    case sfMicroDVD: {
        fields[0] = '{';
        char* last = TimePair(fields + 1, format, start, "}{", end);
        *last++ = '}';
        lines.replace(index, MicroDVDFieldsLength(lines[index]),
                      {fields, static_cast<std::size_t>(last - fields)});
        break;
    }
    case sfSubRip: {
        char* last = TimePair(fields, format, start, " --> ", end);
        lines.replace(index, 29, {fields, static_cast<std::size_t>(last - fields)});
        if (renumber) {
            char number[8];
            auto result = std::to_chars(number, number + sizeof number, i + 1);
            lines.set(index - 1, {number, static_cast<std::size_t>(result.ptr - number)});
        }
        break;
    }
    default: {
        char* last = TimePair(fields, format, start, ",", end);
        lines.replace(index, 23, {fields, static_cast<std::size_t>(last - fields)});
        break;
    }
    }
}

} // namespace

void WriteTimingLines(SubtitleDocument& doc, const std::vector<std::int32_t>& starts,
                      const std::vector<std::int32_t>& ends, Progress& progress) {
    if (!HasTimingTable(doc.SubtitleFormat))
        return;
    const std::size_t n = doc.FinishedCount();
    progress.setMaximum(static_cast<int>(n) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        progress.setPosition(static_cast<int>(i));
        WriteTimingLine(doc, i, starts[i], ends[i], true);
    }
}

void RewriteTimingLine(SubtitleDocument& doc, std::size_t k) {
    const SubtitleFormat format = doc.SubtitleFormat;
    if (!HasTimingTable(format) || k >= doc.FinishedCount())
        return;
    const long long line = TimingLineIndex(doc, k);
    if (line < 0 || line >= static_cast<long long>(doc.SubtitleLines.size()))
        throw ListIndexError(line);
    if (!CanEncode(format, doc.start(k)) || !CanEncode(format, doc.end(k)))
        throw TimeEncodeError();
    WriteTimingLine(doc, k, doc.start(k), doc.end(k), false);
}

void RebuildLines(SubtitleDocument& doc, Progress& progress) {
    CheckTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1]);
    WriteTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], progress);
    progress.setPosition(0);
}

} // namespace velkar
