#include "TestSupport.h"

#include "document/LineIo.h"
#include "document/LineStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

// One byte at a time: a line ends at CR LF, a lone CR or a lone LF.
Lines SplitByteByByte(std::string_view bytes) {
    Lines lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

TEST(LineStore, SplitsAtEveryLineEndWhereverItFalls) {
    // Line ends at every offset, CR LF pairs across every boundary of the blocks read at once.
    std::mt19937 random(7);
    const char alphabet[] = {'a', 'b', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 200, 'x');
        for (char& c : bytes)
            c = alphabet[random() % 4];
        ASSERT_EQ(LineStore::Split(bytes), SplitByteByByte(bytes)) << testing::PrintToString(bytes);
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
        ASSERT_EQ(LineStore::Split(text), SplitByteByByte(bytes.substr(0, at))) << at;
    }
}

TEST(LineStore, RewrittenLinesAreWrittenOutExactly) {
    test::TempFolder folder;
    // Mixed line ends, a byte-order mark and no line end after the last line.
    test::WriteBytes(folder.path("in.srt"), "\xEF\xBB\xBF"
                                            "one\r\ntwo\nthree\rfour\r\nfive\r\nsix\r\nseven");
    SubtitleDocument doc;
    ReadSubtitleLines(doc, folder.path("in.srt"));
    LineStore& lines = doc.SubtitleLines;
    Lines expected{"one", "two", "three", "four", "five", "six", "seven"};
    ASSERT_EQ(lines, expected);

    auto change = [&](std::size_t i, std::string text, auto&& apply) {
        apply();
        expected[i] = std::move(text);
        ASSERT_EQ(lines, expected);
    };
    change(0, "ONE", [&] { lines.set(0, "ONE"); });                       // same length
    change(1, "2", [&] { lines.set(1, "2"); });                           // shorter
    change(2, "three and more", [&] { lines.set(2, "three and more"); }); // longer
    change(3, "f\r\nr", [&] { lines.set(3, "f\r\nr"); });                 // a line end inside
    change(3, "f", [&] { lines.set(3, "f"); }); // shorter again: the CR LF above is left behind
    change(4, "FIVve", [&] { lines.replace(4, 2, "FIV"); }); // the rest of the line stays
    change(5, "x", [&] { lines.replace(5, 10, "x"); });
    change(6, "SEVEN", [&] { lines.replace(6, 5, "SEVEN"); });
    change(0, "ONE", [&] { lines.set(0, lines[0]); });
    lines.push_back("eight");
    lines.emplace_back();
    expected.insert(expected.end(), {"eight", ""});

    WriteSubtitleLines(doc, folder.path("out.srt"));
    EXPECT_EQ(test::ReadBytes(folder.path("out.srt")), JoinLines(expected, "\xEF\xBB\xBF"));
    EXPECT_EQ(SplitLines(test::ReadBytes(folder.path("out.srt")).substr(3)), expected);
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
    EXPECT_EQ(copy.CrlfRun(0, run), 3u);
    EXPECT_EQ(run, "first\r\n" + text + "\r\nlast\r\n");
}

} // namespace
} // namespace velkar
