#include "sync/RebuildLines.h"

#include "document/Errors.h"
#include "document/LineTests.h"
#include "document/Report.h"
#include "document/TimeCode.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace velkar {

long long TimingLineIndex(const SubtitleDocument& doc, std::size_t i) {
    if (doc.SubtitleFormat == sfSubViewer2)
        return static_cast<long long>(doc.FirstTimeLine) + 3LL * static_cast<long long>(i);
    return doc.SubtitleLineIndex[i];
}

void CheckTimingLines(const SubtitleDocument& doc, const std::vector<std::int32_t>& starts,
                      const std::vector<std::int32_t>& ends, TimeSource source) {
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
        if (!CanEncode(format, starts[i]))
            throw TimeEncodeError(OutsideDayText(doc, i, false, starts[i], source));
        if (!CanEncode(format, ends[i]))
            throw TimeEncodeError(OutsideDayText(doc, i, true, ends[i], source));
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

// The decimal texts of 1, 2, 3 and on, each from the one before.
class DecimalCounter {
  public:
    std::string_view next() {
        std::size_t k = kWidth;
        while (k > m_first && m_digits[k - 1] == '9')
            m_digits[--k] = '0';
        if (k == m_first)
            m_digits[--m_first] = '1';
        else
            ++m_digits[k - 1];
        return {m_digits + m_first, kWidth - m_first};
    }

  private:
    static constexpr std::size_t kWidth = 20;
    char m_digits[kWidth] = {};
    std::size_t m_first = kWidth; // the digits are m_digits[m_first .. kWidth - 1]
};

// Writes subtitle i's times into its timing line; with a `counter`, a SubRip counter line also
// becomes that text (the subtitle's 1-based number).
void WriteTimingLine(SubtitleDocument& doc, std::size_t i, std::int32_t start, std::int32_t end,
                     std::string_view counter) {
    const SubtitleFormat format = doc.SubtitleFormat;
    const std::size_t index = static_cast<std::size_t>(TimingLineIndex(doc, i));
    LineStore& lines = doc.SubtitleLines;
    char fields[2 * kMaxTimeText + 8];
    switch (format) {
    case sfMicroDVD: {
        const std::size_t old = MicroDVDFieldsLength(lines[index]);
        fields[0] = '{';
        char* last = TimePair(fields + 1, format, start, "}{", end);
        *last++ = '}';
        // A first line "{1}{1}25" is read as the file's frame rate. A first subtitle re-timed
        // to such a line stays a subtitle: its end is written with a leading zero
        // ("{1}{01}25"), which reads back as the same frame.
        if (index == 0 &&
            !FrameRateOf(std::string(fields, last) + std::string(lines[0].substr(old))).empty()) {
            last = TimePair(fields + 1, format, start, "}{0", end);
            *last++ = '}';
        }
        lines.replace(index, old, {fields, static_cast<std::size_t>(last - fields)});
        break;
    }
    case sfSubRip: {
        char* last = TimePair(fields, format, start, " --> ", end);
        lines.replace(index, 29, {fields, static_cast<std::size_t>(last - fields)});
        if (!counter.empty() && lines[index - 1] != counter)
            lines.set(index - 1, counter);
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
    DecimalCounter counter;
    for (std::size_t i = 0; i < n; ++i) {
        progress.setPosition(static_cast<int>(i));
        WriteTimingLine(doc, i, starts[i], ends[i], counter.next());
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
    WriteTimingLine(doc, k, doc.start(k), doc.end(k), {});
}

void RebuildLines(SubtitleDocument& doc, Progress& progress) {
    CheckTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], TimeSource::TypedAnchors);
    WriteTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], progress);
    progress.setPosition(0);
}

} // namespace velkar
