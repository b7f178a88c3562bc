#include "TestSupport.h"

#include "document/Errors.h"
#include "sync/FixSynch.h"
#include "sync/RebuildLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkar {
namespace {

using testing::ElementsAre;

NoProgress progress;

// Moves every start and end by `delta` and rebuilds the lines.
void ShiftAndRebuild(SubtitleDocument& doc, std::int32_t delta) {
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
        doc.TimingTable[0][i] += delta;
        doc.TimingTable[1][i] += delta;
    }
    RebuildLines(doc, progress);
}

TEST(RebuildMicroDVD, RewritesOnlyTheBraceFieldsOfEachSubtitlesOwnLine) {
    auto doc = test::OpenLines({"{1}{25}23.976", "", "{1}{2}", "{100}{200}Hello|there{y:i}",
                                "{300}{400}" + std::string(300, 'x')});
    ShiftAndRebuild(doc, 10);
    EXPECT_THAT(doc.SubtitleLines,
                ElementsAre("{11}{35}23.976", "", "{11}{12}", "{110}{210}Hello|there{y:i}",
                            "{310}{410}" + std::string(300, 'x')));
}

// A first subtitle re-timed so that its line looks like the file's frame rate ("{1}{1}25")
// must still read back as a subtitle with the new times; lines that cannot be taken for a
// frame rate keep the plain form.
TEST(RebuildMicroDVD, FirstSubtitleNeverBecomesAFrameRateLine) {
    struct Case {
        std::string first;
        std::int32_t frame;
        std::string written;
    };
    const Case cases[] = {
        {"{0}{1}29", 0, "{0}{00}29"},         {"{5}{9}25.000", 1, "{1}{01}25.000"},
        {"{5}{9}23,976", 1, "{1}{01}23,976"}, {"{5}{9}25 fps", 1, "{1}{1}25 fps"},
        {"{5}{9}Hello", 0, "{0}{0}Hello"},    {"{5}{9}", 1, "{1}{1}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        auto doc = test::OpenLines({c.first, "{30}{40}25"});
        ASSERT_EQ(doc.SubtitleCount, 2);
        doc.TimingTable[0] = {c.frame, 1};
        doc.TimingTable[1] = {c.frame, 1};
        RebuildLines(doc, progress);
        EXPECT_THAT(doc.SubtitleLines, ElementsAre(c.written, "{1}{1}25"));
        const auto reread = test::OpenLines(doc.SubtitleLines);
        ASSERT_EQ(reread.SubtitleCount, 2);
        EXPECT_EQ(reread.TimingTable, doc.TimingTable);
    }
}

TEST(RebuildSubRip, RenumbersCountersAndKeepsWhatFollowsTheTimes) {
    auto doc = test::OpenLines({"7", "00:00:01,000 --> 00:00:02,000  X1:010 X2:710", "a", "b", "",
                                "7", "00:00:03,000 --> 00:00:04,000", "c [br] literal", ""});
    ShiftAndRebuild(doc, 500);
    EXPECT_THAT(doc.SubtitleLines,
                ElementsAre("1", "00:00:01,500 --> 00:00:02,500  X1:010 X2:710", "a", "b", "", "2",
                            "00:00:03,500 --> 00:00:04,500", "c [br] literal", ""));
}

TEST(RebuildSubRip, LongTextLinesStayWhole) {
    const std::string longLine(400, 'y');
    auto doc = test::OpenLines({"1", "00:00:01,000 --> 00:00:02,000", longLine, longLine, ""});
    ShiftAndRebuild(doc, 1);
    EXPECT_EQ(doc.SubtitleLines[2], longLine);
    EXPECT_EQ(doc.SubtitleLines[3], longLine);
    EXPECT_EQ(doc.SubtitleLines.size(), 5u);
}

TEST(RebuildSubViewer, RewritesTimeLinesAndLeavesHeaderAndLastBlockAlone) {
    auto doc = test::OpenLines({"[INFORMATION]", "[SUBTITLE]", "style", "00:00:01.00,00:00:02.00",
                                "a", "", "00:00:03.00,00:00:04.00", "b"});
    ShiftAndRebuild(doc, 1005); // 2 005 ms writes .00 (ties to even), 3 005 ms writes .00
    EXPECT_THAT(doc.SubtitleLines,
                ElementsAre("[INFORMATION]", "[SUBTITLE]", "style", "00:00:02.00,00:00:03.00", "a",
                            "", "00:00:04.00,00:00:05.00", "b"));
}

TEST(Rebuild, FailedTimeLeavesEveryLineAsItWas) {
    auto doc = test::OpenLines({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                                "00:00:03,000 --> 00:00:04,000", "b", ""});
    const auto lines = doc.SubtitleLines;
    doc.TimingTable[1][1] = -1;
    EXPECT_THROW(RebuildLines(doc, progress), TimeEncodeError);
    EXPECT_EQ(doc.SubtitleLines, lines);
}

TEST(Rebuild, SubtitleWithoutItsLineThrowsInsteadOfWritingOutside) {
    auto doc = test::OpenLines({"[SUBTITLE]", "style", "00:00:01.00,00:00:02.00", "a"});
    doc.FirstTimeLine = 10;
    EXPECT_THROW(RebuildLines(doc, progress), ListIndexError);
}

} // namespace
} // namespace velkar
