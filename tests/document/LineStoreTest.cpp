#include "TestSupport.h"

#include "document/LineIo.h"
#include "document/LineStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

struct Line {
    std::string text;
    LineBreak end;
    bool operator==(const Line&) const = default;
};

// One byte at a time: a line ends at CR LF, a lone CR or a lone LF.
std::vector<Line> SplitByteByByte(std::string_view bytes) {
    std::vector<Line> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            LineBreak end = c == '\n' ? LineBreak::Lf : LineBreak::Cr;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                end = LineBreak::CrLf;
                ++i;
            }
            lines.push_back({line, end});
            line.clear();
            open = false;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back({line, LineBreak::None});
    return lines;
}

std::vector<Line> LinesOf(const LineStore& store) {
    std::vector<Line> lines;
    for (std::size_t i = 0; i < store.size(); ++i)
        lines.push_back({std::string(store[i]), store.lineBreak(i)});
    return lines;
}

std::string Join(const std::vector<Line>& lines) {
    std::string bytes;
    for (const Line& line : lines)
        bytes += line.text + std::string(LineBreakBytes(line.end));
    return bytes;
}

TEST(LineStore, SplitsAtEveryLineEndWhereverItFallsAndJoinsBackTheSameBytes) {
    // Line ends at every offset, CR LF pairs across every boundary of the blocks read at once.
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'b', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 200, 'x');
        for (char& c : bytes)
            c = alphabet[random() % 4];
        const LineStore store = LineStore::Split(bytes);
        ASSERT_EQ(LinesOf(store), SplitByteByByte(bytes)) << testing::PrintToString(bytes);
        ASSERT_EQ(LineStore::Count(bytes), store.size()) << testing::PrintToString(bytes);
        ASSERT_EQ(JoinLines(store), bytes);
    }
    // Long texts, of line ends only and of mixed bytes: counted as many lines as split.
    for (const char* pattern : {"\n", "\r", "\r\n", "ab\r\r\n\n"}) {
        std::string bytes;
        while (bytes.size() < 40000)
            bytes += pattern;
        bytes.push_back('a');
        EXPECT_EQ(LineStore::Count(bytes), SplitByteByByte(bytes).size()) << pattern;
    }
}

TEST(LineStore, TheTextEndsAtTheFirstNulWhereverItFalls) {
    // A NUL at every offset of a text read 64 bytes at a time, also just after a CR and before
    // an LF, and a second NUL further on.
    std::mt19937 random(11);
    const char alphabet[] = {'a', '\r', '\n'};
    std::string bytes(300, 'x');
    for (char& c : bytes)
        c = alphabet[random() % 3];
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string text = bytes;
        text[at] = '\0';
        text[std::min(at + 70, text.size() - 1)] = '\0';
        ASSERT_EQ(LinesOf(LineStore::Split(text)), SplitByteByByte(bytes.substr(0, at))) << at;
        ASSERT_EQ(LineStore::Count(text), SplitByteByByte(bytes.substr(0, at)).size()) << at;
    }
}

// Random rewrites, against a plain list of lines and line ends: whatever was rewritten where it
// stands, moved or added, the file written holds every line with its own line end.
TEST(LineStore, RewrittenLinesAreWrittenOutExactly) {
    test::TempFolder folder;
    std::mt19937 random(5);
    const char alphabet[] = {'a', 'b', 'c', '\r', '\n'};
    const auto text = [&](std::size_t max, int letters) {
        std::string t(random() % (max + 1), 'x');
        for (char& c : t)
            c = alphabet[random() % letters];
        return t;
    };
    for (int round = 0; round < 300; ++round) {
        SubtitleDocument doc;
        const std::string mark = round % 3 == 0 ? "\xEF\xBB\xBF" : "";
        test::WriteBytes(folder.path("in.srt"), mark + text(120, 5));
        ReadSubtitleLines(doc, folder.path("in.srt"));
        LineStore& lines = doc.SubtitleLines;
        std::vector<Line> expected = LinesOf(lines);
        for (int step = 0; step < 20; ++step) {
            const std::size_t i = lines.empty() ? 0 : random() % lines.size();
            const std::string t = text(step % 4 == 0 ? 300 : 12, 3);
            switch (lines.empty() ? 3 : random() % 4) {
            case 0:
                lines.set(i, t);
                expected[i].text = t;
                break;
            case 1:
                lines.set(i, lines[random() % lines.size()]);
                expected[i].text = std::string(lines[i]);
                break;
            case 2: {
                const std::size_t count = random() % 8;
                lines.replace(i, count, t);
                expected[i].text =
                    t + expected[i].text.substr(std::min(count, expected[i].text.size()));
                break;
            }
            default: {
                // A line added takes the first line's end (CR LF without one), and so does a
                // last line that had none.
                const LineBreak end = expected.empty() || expected[0].end == LineBreak::None
                                          ? LineBreak::CrLf
                                          : expected[0].end;
                if (!expected.empty() && expected.back().end == LineBreak::None)
                    expected.back().end = end;
                lines.push_back(t);
                expected.push_back({t, end});
            }
            }
            ASSERT_EQ(LinesOf(lines), expected);
        }
        WriteSubtitleLines(doc, folder.path("out.srt"));
        ASSERT_EQ(test::ReadBytes(folder.path("out.srt")), mark + Join(expected));
        ASSERT_EQ(JoinLines(lines, mark), mark + Join(expected));
    }
}

TEST(LineStore, CopiesDoNotShareTheirBytes) {
    LineStore original = LineStore::Split("00:00:01,000\r\nHello\r\n");
    LineStore copy = original;
    original.set(0, "00:00:02,000"); // rewritten where it stands
    copy.replace(1, 1, "J");
    EXPECT_EQ(original, (Lines{"00:00:02,000", "Hello"}));
    EXPECT_EQ(copy, (Lines{"00:00:01,000", "Jello"}));
    copy = original;
    copy.set(1, "Bye");
    EXPECT_EQ(original[1], "Hello");
}

TEST(LineStore, LinesMovedOverAndOverKeepTheirText) {
    // Each longer text leaves the old one behind; once that is over a megabyte the store is
    // copied afresh, and no line may change by it.
    LineStore lines{"first", "", "last"};
    std::string text;
    for (int k = 0; k < 3000; ++k) {
        text.append(1, static_cast<char>('a' + k % 26));
        lines.set(1, text);
    }
    EXPECT_EQ(lines, (Lines{"first", text, "last"}));
    // A copy holds its lines one after the other, ready to be written out in one go.
    const LineStore copy = lines;
    std::string_view run;
    EXPECT_EQ(copy.StoredRun(0, run), 3u);
    EXPECT_EQ(run, "first\r\n" + text + "\r\nlast\r\n");
}

} // namespace
} // namespace velkar
