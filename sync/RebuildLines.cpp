#include "sync/RebuildLines.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/Report.h"
#include "document/TimeCode.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace velkar {

long long TimingLineIndex(const SubtitleDocument& doc, std::size_t i) {
    if (const FormatEntry* entry = FindFormat(doc.SubtitleFormat))
        return entry->timingLine(doc, i);
    return doc.SubtitleLineIndex[i];
}

void CheckTimingLine(const SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                     TimeSource source) {
    const FormatEntry* entry = FindFormat(doc.SubtitleFormat);
    if (!entry)
        return;
    const long long lines = static_cast<long long>(doc.SubtitleLines.size());
    const long long line = entry->timingLine(doc, i);
    const long long first = line - static_cast<long long>(entry->linesBefore); // a SubRip counter
    if (first < 0)
        throw ListIndexError(first);
    if (line >= lines)
        throw ListIndexError(line);
    if (!entry->canWrite(start))
        throw TimeEncodeError(OutsideDayText(doc, i, false, start, source));
    if (!entry->canWrite(end))
        throw TimeEncodeError(OutsideDayText(doc, i, true, end, source));
}

void CheckTimingLines(const SubtitleDocument& doc, const std::vector<TimeValue>& starts,
                      const std::vector<TimeValue>& ends, TimeSource source) {
    for (std::size_t i = 0; i < doc.FinishedCount(); ++i)
        CheckTimingLine(doc, i, starts[i], ends[i], source);
}

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

} // namespace

void WriteTimingLines(SubtitleDocument& doc, const std::vector<TimeValue>& starts,
                      const std::vector<TimeValue>& ends, Progress& progress) {
    const FormatEntry* entry = FindFormat(doc.SubtitleFormat);
    if (!entry)
        return;
    const std::size_t n = doc.FinishedCount();
    progress.setMaximum(static_cast<int>(n) + 1);
    DecimalCounter counter;
    for (std::size_t i = 0; i < n; ++i) {
        progress.setPosition(static_cast<int>(i));
        entry->writeTimes(doc, i, starts[i], ends[i], counter.next());
    }
}

void RewriteTimingLine(SubtitleDocument& doc, std::size_t k) {
    const FormatEntry* entry = FindFormat(doc.SubtitleFormat);
    if (!entry || k >= doc.FinishedCount())
        return;
    const long long line = entry->timingLine(doc, k);
    if (line < 0 || line >= static_cast<long long>(doc.SubtitleLines.size()))
        throw ListIndexError(line);
    if (!entry->canWrite(doc.start(k)) || !entry->canWrite(doc.end(k)))
        throw TimeEncodeError();
    entry->writeTimes(doc, k, doc.start(k), doc.end(k), {});
}

void RebuildLines(SubtitleDocument& doc, Progress& progress) {
    CheckTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], TimeSource::TypedAnchors);
    WriteTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], progress);
    progress.setPosition(0);
}

} // namespace velkar
