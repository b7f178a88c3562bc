#include "sync/RebuildLines.h"

#include "document/Errors.h"
#include "document/TimeCode.h"

#include <charconv>

namespace velkar {

namespace {

const std::string& LineAt(const SubtitleDocument& doc, long long index) {
    if (index < 0 || static_cast<std::size_t>(index) >= doc.SubtitleLines.size())
        throw ListIndexError(index);
    return doc.SubtitleLines[static_cast<std::size_t>(index)];
}

// `line` after its first `skip` characters (empty when it is shorter).
std::string_view After(const std::string& line, std::size_t skip) {
    return skip < line.size() ? std::string_view(line).substr(skip) : std::string_view();
}

std::string Decimal(std::size_t value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

std::vector<LineEdit> TimingLineEdits(const SubtitleDocument& doc,
                                      const std::vector<std::int32_t>& starts,
                                      const std::vector<std::int32_t>& ends, Progress& progress) {
    const std::size_t n = doc.SubtitleCount;
    const SubtitleFormat format = doc.SubtitleFormat;
    std::vector<LineEdit> edits;
    if (!HasTimingTable(format))
        return edits;
    edits.reserve(format == sfSubRip ? 2 * n : n);
    progress.setMaximum(static_cast<int>(n) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        progress.setPosition(static_cast<int>(i));
        std::string text;
        text.reserve(32);
        if (format == sfMicroDVD) {
            const long long index = doc.SubtitleLineIndex[i];
            const std::string& line = LineAt(doc, index);
            // The parse found both braces in this line, so the second "}" exists.
            std::size_t first = line.find('}');
            std::size_t second = first == std::string::npos ? first : line.find('}', first + 1);
            text.push_back('{');
            AppendTimeText(text, format, starts[i]);
            text.append("}{");
            AppendTimeText(text, format, ends[i]);
            text.push_back('}');
            if (second != std::string::npos)
                text.append(After(line, second + 1));
            edits.push_back({static_cast<std::size_t>(index), std::move(text)});
        } else if (format == sfSubRip) {
            const long long index = doc.SubtitleLineIndex[i];
            const std::string& line = LineAt(doc, index);
            LineAt(doc, index - 1); // the counter line
            AppendTimeText(text, format, starts[i]);
            text.append(" --> ");
            AppendTimeText(text, format, ends[i]);
            text.append(After(line, 29));
            edits.push_back({static_cast<std::size_t>(index - 1), Decimal(i + 1)});
            edits.push_back({static_cast<std::size_t>(index), std::move(text)});
        } else {
            const long long index = static_cast<long long>(doc.FirstTimeLine) + 3LL * i;
            const std::string& line = LineAt(doc, index);
            AppendTimeText(text, format, starts[i]);
            text.push_back(',');
            AppendTimeText(text, format, ends[i]);
            text.append(After(line, 23));
            edits.push_back({static_cast<std::size_t>(index), std::move(text)});
        }
    }
    return edits;
}

void ApplyLineEdits(SubtitleDocument& doc, std::vector<LineEdit>&& edits) {
    for (auto& edit : edits)
        doc.SubtitleLines[edit.line] = std::move(edit.text);
}

void RebuildLines(SubtitleDocument& doc, Progress& progress) {
    ApplyLineEdits(doc, TimingLineEdits(doc, doc.TimingTable[0], doc.TimingTable[1], progress));
    progress.setPosition(0);
}

} // namespace velkar
