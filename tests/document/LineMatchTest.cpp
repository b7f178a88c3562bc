#include "document/LineMatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace velkar {
namespace {

using testing::ElementsAre;
constexpr std::size_t N = kNewLine;

LineStore Store(std::string_view bytes) {
    return LineStore::Split(bytes);
}

TEST(MatchLines, PairsUnchangedLinesAndEditedOnesInTheirGap) {
    const LineStore abc = Store("a\nb\nc\n");
    EXPECT_THAT(MatchLines(abc, {"a", "x", "c", "d"}), ElementsAre(0, 1, 2, N));
    EXPECT_THAT(MatchLines(abc, {"x", "a", "b"}), ElementsAre(N, 0, 1));
    EXPECT_THAT(MatchLines(abc, {"b", "c"}), ElementsAre(1, 2));
    EXPECT_THAT(MatchLines(abc, {"a", "c"}), ElementsAre(0, 2));
    EXPECT_THAT(MatchLines(abc, {"c", "b", "a"}), ElementsAre(2, N, N)); // one line kept in order
    EXPECT_THAT(MatchLines(abc, {}), ElementsAre());
    EXPECT_THAT(MatchLines(Store(""), {"a"}), ElementsAre(N));
}

// Random edits of a file whose lines end in every way: a line the edit left alone keeps its own
// line end, and the text is the edited text.
TEST(KeepLineBreaks, EveryLineLeftAloneKeepsItsOwnLineEnd) {
    std::mt19937 random(21);
    const std::string_view ends[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 300; ++round) {
        // Distinct lines, so that "left alone" has one meaning.
        const int count = static_cast<int>(random() % 30);
        std::string bytes;
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i) {
            texts.push_back("line " + std::to_string(i));
            bytes += texts.back() + std::string(ends[random() % 3]);
        }
        const bool lastEnded = count == 0 || random() % 2 == 0;
        if (!lastEnded)
            bytes.erase(bytes.find_last_not_of("\r\n") + 1);
        const LineStore before = Store(bytes);
        ASSERT_EQ(before.size(), texts.size());

        // The edit: each old line is kept, deleted or retyped; new lines go in anywhere. A big
        // round edits several hundred lines, past the bound of the shortest script.
        struct Edited {
            std::string text;
            std::size_t from; // old line, or N
            bool retyped;
        };
        std::vector<Edited> after;
        const bool wide = round % 50 == 0;
        for (int k = 0; wide && k < 600; ++k)
            after.push_back({"new " + std::to_string(after.size()), N, false});
        for (int i = 0; i <= count; ++i) {
            while (random() % 4 == 0)
                after.push_back({"new " + std::to_string(after.size()), N, false});
            if (i == count)
                break;
            switch (random() % 4) {
            case 0:
                break; // deleted
            case 1:
                after.push_back({"typed " + std::to_string(i), std::size_t(i), true});
                break;
            default:
                after.push_back({texts[std::size_t(i)], std::size_t(i), false});
            }
        }
        std::vector<std::string> lines;
        for (const Edited& e : after)
            lines.push_back(e.text);
        const LineStore result = KeepLineBreaks(before, lines, lastEnded);
        ASSERT_EQ(result, lines);
        if (wide)
            continue; // past the bound only the lines at either end are sure to be matched
        for (std::size_t j = 0; j < after.size(); ++j) {
            if (j + 1 == after.size() && !lastEnded) {
                EXPECT_EQ(result.lineBreak(j), LineBreak::None);
                continue;
            }
            if (after[j].from == N || after[j].retyped)
                continue;
            const LineBreak own = before.lineBreak(after[j].from);
            EXPECT_EQ(result.lineBreak(j), own == LineBreak::None ? before.NewLineBreak() : own)
                << "round " << round << " line " << j;
        }
    }
}

TEST(KeepLineBreaks, UnchangedLinesGiveTheSameStore) {
    const LineStore before = Store("a\r\nb\nc\rd");
    EXPECT_EQ(KeepLineBreaks(before, before.strings(), false), before);
    // A line typed after a last line without a line end gives it the usual one.
    EXPECT_EQ(KeepLineBreaks(before, {"a", "b", "c", "d", "e"}, false), Store("a\r\nb\nc\rd\r\ne"));
    EXPECT_EQ(KeepLineBreaks(before, {"x", "a", "b", "c", "d"}, true),
              Store("x\r\na\r\nb\nc\rd\r\n"));
    EXPECT_EQ(KeepLineBreaks(before, {"a", "c", "d"}, false), Store("a\r\nc\rd"));
    // A line typed over another keeps that one's line end.
    EXPECT_EQ(KeepLineBreaks(before, {"a", "B", "c", "d"}, false), Store("a\r\nB\nc\rd"));
}

} // namespace
} // namespace velkar
