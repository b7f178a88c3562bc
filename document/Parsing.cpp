#include "document/Parsing.h"

#include "document/Errors.h"
#include "document/IntegerConversion.h"
#include "document/LineTests.h"
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

namespace {

class TableBuilder {
  public:
    TableBuilder(SubtitleDocument& doc, std::vector<std::string>* dialogs, bool texts)
        : m_doc(doc), m_dialogs(dialogs), m_texts(texts || dialogs) {
        doc.TimingTable[0].clear();
        doc.TimingTable[1].clear();
        doc.SubtitleTexts.clear();
        doc.SubtitleLineIndex.clear();
        doc.SubtitleCount = 0;
        // Every subtitle takes a line at least: room for them all, so that no array is copied
        // as it grows.
        const std::size_t most = std::min(doc.SubtitleLines.size(), kMaxSubtitles);
        doc.TimingTable[0].reserve(most);
        doc.TimingTable[1].reserve(most);
        doc.SubtitleTexts.reserve(most);
        doc.SubtitleLineIndex.reserve(most);
        if (dialogs)
            dialogs->clear();
    }

    // Adds a subtitle (zero times, empty text) and gives its column; refuses the 65 536th.
    std::size_t add() {
        if (m_doc.SubtitleCount == kMaxSubtitles)
            throw VelkarError("The Subtitle file holds more than 65535 subtitles");
        m_doc.TimingTable[0].push_back(0);
        m_doc.TimingTable[1].push_back(0);
        m_doc.SubtitleTexts.emplace_back();
        m_doc.SubtitleLineIndex.push_back(0);
        return m_doc.SubtitleCount++;
    }

    // Whether texts are stored.
    bool texts() const { return m_texts; }

    void finish(std::size_t column) {
        if (m_dialogs)
            m_dialogs->push_back(DialogEntry(column, m_doc.SubtitleTexts[column]));
    }

  private:
    SubtitleDocument& m_doc;
    std::vector<std::string>* m_dialogs;
    bool m_texts;
};

// Line `index` of the document as a short string; throws ListIndexError past the end.
std::string_view LineAt(const SubtitleDocument& doc, std::size_t index) {
    if (index >= doc.SubtitleLines.size())
        throw ListIndexError(static_cast<long long>(index));
    return ShortString(doc.SubtitleLines[index]);
}

// The integer in `s` from its character 2 up to the character before its first "}".
std::int32_t BraceField(std::string_view s) {
    auto close = s.find('}');
    std::size_t count = close == std::string_view::npos || close < 1 ? 0 : close - 1;
    return StrToInt(Copy(s, 2, count));
}

// "{n}{m}" and nothing else, n and m integers.
bool IsBareFrames(std::string_view line) {
    const std::size_t close = line.find('}');
    return line.size() >= 6 && line.front() == '{' && line.back() == '}' &&
           close != std::string_view::npos && close + 1 < line.size() && line[close + 1] == '{' &&
           TryStrToInt(line.substr(1, close - 1)) &&
           TryStrToInt(line.substr(close + 2, line.size() - close - 3));
}

void ParseMicroDVD(SubtitleDocument& doc, TableBuilder& table) {
    const auto& lines = doc.SubtitleLines;
    // A first line that gives the frame rate is the file's, not a subtitle: it stays as it is.
    const std::size_t first = !lines.empty() && !FrameRateOf(lines[0]).empty() ? 1 : 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (lines[i].size() <= 6 && !IsBareFrames(lines[i]))
            continue; // empty and short lines, but not "{1}{2}", a subtitle without text
        std::string_view s = ShortString(lines[i]);
        std::size_t column = table.add();
        doc.TimingTable[0][column] = BraceField(s);
        s.remove_prefix(s.find('}') + 1);
        doc.TimingTable[1][column] = BraceField(s);
        if (table.texts())
            doc.SubtitleTexts[column].assign(s.substr(s.find('}') + 1));
        doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(i);
        table.finish(column);
    }
}

void ParseSubRip(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
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

bool RestIsEmpty(const LineStore& lines, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (!lines[i].empty())
            return false;
    return true;
}

void ParseSubViewer2(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
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

} // namespace

void RequireParsedTable(const SubtitleDocument& doc) {
    if (!doc.ParseFailure.empty())
        throw UnparsedDocumentError(doc.ParseFailure);
}

void ParseSubtitles(SubtitleDocument& doc, Progress& progress, std::vector<std::string>* dialogs,
                    SubtitleTextsWanted texts) {
    TableBuilder table(doc, dialogs, texts == SubtitleTextsWanted::Yes);
    doc.ParseFailure.clear();
    try {
        switch (doc.SubtitleFormat) {
        case sfMicroDVD:
            ParseMicroDVD(doc, table);
            break;
        case sfSubRip:
            ParseSubRip(doc, table, progress);
            break;
        case sfSubViewer2:
            ParseSubViewer2(doc, table, progress);
            break;
        default:
            break;
        }
    } catch (const VelkarError& e) {
        doc.ParseFailure = e.what();
        throw;
    }
}

} // namespace velkar
