#include "sync/RebuildLines.h"

#include "document/Errors.h"
#include "document/TimeCode.h"

#include <charconv>
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
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
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
std::size_t MicroDVDFieldsLength(const std::string& line) {
    std::size_t first = line.find('}');
    std::size_t second = first == std::string::npos ? first : line.find('}', first + 1);
    return second == std::string::npos ? 0 : second + 1;
}

// Puts `fields` in place of the first `width` characters of `line` (all of a shorter line).
void ReplaceFields(std::string& line, std::size_t width, const std::string& fields) {
    line.replace(0, std::min(width, line.size()), fields);
}

} // namespace

void WriteTimingLines(SubtitleDocument& doc, const std::vector<std::int32_t>& starts,
                      const std::vector<std::int32_t>& ends, Progress& progress) {
    const SubtitleFormat format = doc.SubtitleFormat;
    if (!HasTimingTable(format))
        return;
    const std::size_t n = doc.SubtitleCount;
    progress.setMaximum(static_cast<int>(n) + 1);
    std::string fields;
    fields.reserve(32);
    for (std::size_t i = 0; i < n; ++i) {
        progress.setPosition(static_cast<int>(i));
        std::string& line = doc.SubtitleLines[static_cast<std::size_t>(TimingLineIndex(doc, i))];
        fields.clear();
        switch (format) {
        case sfMicroDVD:
            fields.push_back('{');
            AppendTimeText(fields, format, starts[i]);
            fields.append("}{");
            AppendTimeText(fields, format, ends[i]);
            fields.push_back('}');
            ReplaceFields(line, MicroDVDFieldsLength(line), fields);
            break;
        case sfSubRip: {
            AppendTimeText(fields, format, starts[i]);
            fields.append(" --> ");
            AppendTimeText(fields, format, ends[i]);
            ReplaceFields(line, 29, fields);
            char number[8];
            auto result = std::to_chars(number, number + sizeof number, i + 1);
            doc.SubtitleLines[static_cast<std::size_t>(TimingLineIndex(doc, i)) - 1].assign(
                number, result.ptr);
            break;
        }
        default:
            AppendTimeText(fields, format, starts[i]);
            fields.push_back(',');
            AppendTimeText(fields, format, ends[i]);
            ReplaceFields(line, 23, fields);
            break;
        }
    }
}

void RebuildLines(SubtitleDocument& doc, Progress& progress) {
    CheckTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1]);
    WriteTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], progress);
    progress.setPosition(0);
}

} // namespace velkar
