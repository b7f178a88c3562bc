#include "document/Parsing.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/IntegerConversion.h"
#include "document/LineTests.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"

#include <algorithm>
#include <cstring>

namespace velkar {

namespace {

// A clock time written plainly with two-digit fields at `at` (and `fractionDigits`, 2 or 3,
// digits for the fraction): read directly. Anything else (blanks, signs, hexadecimal) goes
// through the general conversion. Gives -1 when the fast reading does not apply.
template <std::size_t fractionDigits, unsigned fractionUnit>
std::int32_t PlainClock(std::string_view line, std::size_t at) {
    if (line.size() < at + 9 + fractionDigits)
        return -1;
    const char* p = line.data() + at;
    // Each digit's value; a character that is not a digit gives a value above 9.
    auto d = [p](int k) { return static_cast<unsigned>(static_cast<unsigned char>(p[k])) - '0'; };
    const unsigned h1 = d(0), h0 = d(1), m1 = d(3), m0 = d(4), s1 = d(6), s0 = d(7), f2 = d(9),
                   f1 = d(10), f0 = fractionDigits == 3 ? d(11) : 0;
    if ((h1 > 9) | (h0 > 9) | (m1 > 9) | (m0 > 9) | (s1 > 9) | (s0 > 9) | (f2 > 9) | (f1 > 9) |
        (f0 > 9))
        return -1;
    const unsigned f = fractionDigits == 3 ? f2 * 100 + f1 * 10 + f0 : f2 * 10 + f1;
    return static_cast<std::int32_t>((h1 * 10 + h0) * 3600000 + (m1 * 10 + m0) * 60000 +
                                     (s1 * 10 + s0) * 1000 + f * fractionUnit);
}

} // namespace

std::pair<std::int32_t, std::int32_t> ReadSubRipTimes(std::string_view line) {
    const std::int32_t start = PlainClock<3, 1>(line, 0), end = PlainClock<3, 1>(line, 17);
    if (start >= 0 && end >= 0)
        return {start, end};
    return {
        ClockValue(Copy(line, 1, 2), Copy(line, 4, 2), Copy(line, 7, 2), Copy(line, 10, 3), 1),
        ClockValue(Copy(line, 18, 2), Copy(line, 21, 2), Copy(line, 24, 2), Copy(line, 27, 3), 1)};
}

std::pair<std::int32_t, std::int32_t> ReadSubViewerTimes(std::string_view line) {
    const std::int32_t start = PlainClock<2, 10>(line, 0), end = PlainClock<2, 10>(line, 12);
    if (start >= 0 && end >= 0)
        return {start, end};
    return {
        ClockValue(Copy(line, 1, 2), Copy(line, 4, 2), Copy(line, 7, 2), Copy(line, 10, 2), 10),
        ClockValue(Copy(line, 13, 2), Copy(line, 16, 2), Copy(line, 19, 2), Copy(line, 22, 2), 10)};
}

std::string DialogEntry(std::size_t index, std::string_view text) {
    std::string entry = std::to_string(index + 1);
    entry += ") ";
    entry.append(text);
    return entry;
}

TableBuilder::TableBuilder(SubtitleDocument& doc, std::vector<std::string>* dialogs, bool texts)
    : m_doc(doc), m_dialogs(dialogs), m_texts(texts || dialogs) {
    doc.TimingTable[0].clear();
    doc.TimingTable[1].clear();
    doc.SubtitleTexts.clear();
    doc.SubtitleLineIndex.clear();
    doc.SubtitleCount = 0;
    // Every subtitle takes a line at least: room for them all, so that no array is copied as it
    // grows.
    const std::size_t most = std::min(doc.SubtitleLines.size(), kMaxSubtitles);
    doc.TimingTable[0].reserve(most);
    doc.TimingTable[1].reserve(most);
    if (m_texts)
        doc.SubtitleTexts.reserve(most);
    doc.SubtitleLineIndex.reserve(most);
    if (dialogs)
        dialogs->clear();
}

std::size_t TableBuilder::add() {
    if (m_doc.SubtitleCount == kMaxSubtitles)
        throw VelkarError("The Subtitle file holds more than 65535 subtitles");
    m_doc.TimingTable[0].push_back(0);
    m_doc.TimingTable[1].push_back(0);
    if (m_texts)
        m_doc.SubtitleTexts.emplace_back();
    m_doc.SubtitleLineIndex.push_back(0);
    return m_doc.SubtitleCount++;
}

void TableBuilder::finish(std::size_t column) {
    if (m_dialogs)
        m_dialogs->push_back(
            DialogEntry(column, ListText(m_doc.SubtitleFormat, m_doc.SubtitleTexts[column])));
}

std::string_view LineAt(const SubtitleDocument& doc, std::size_t index) {
    if (index >= doc.SubtitleLines.size())
        throw ListIndexError(static_cast<long long>(index));
    return ShortString(doc.SubtitleLines[index]);
}

void RequireParsedTable(const SubtitleDocument& doc) {
    if (!doc.ParseFailure.empty())
        throw UnparsedDocumentError(doc.ParseFailure);
}

void ParseSubtitles(SubtitleDocument& doc, Progress& progress, std::vector<std::string>* dialogs,
                    SubtitleTextsWanted texts) {
    TableBuilder table(doc, dialogs, texts == SubtitleTextsWanted::Yes);
    doc.ParseFailure.clear();
    try {
        if (const FormatEntry* entry = FindFormat(doc.SubtitleFormat))
            entry->parse(doc, table, progress);
    } catch (const VelkarError& e) {
        doc.ParseFailure = e.what();
        throw;
    }
}

} // namespace velkar
