#include "TestSupport.h"

#include "authoring/Creation.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "sync/FixSynch.h"
#include "sync/RebuildLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkar {
namespace {

using testing::ElementsAre;

std::vector<std::string> Header() {
    return {kCreatedHeader.begin(), kCreatedHeader.end()};
}

TEST(Creation, StartsWithExactlyTheTwelveHeaderLines) {
    SubtitleDocument doc = test::OpenLines({"{1}{2}old"});
    doc.SubtitleFileName = "/keep/me.sub";
    StartCreation(doc);
    EXPECT_EQ(doc.SubtitleLines, Header());
    EXPECT_EQ(doc.SubtitleLines[4], "[FILEPATH");
    EXPECT_EQ(doc.SubtitleFormat, sfSubViewer2);
    EXPECT_TRUE(doc.SubtitleLoaded);
    EXPECT_EQ(doc.SubtitleCount, 0);
    EXPECT_EQ(doc.FirstTimeLine, 12);
    EXPECT_EQ(doc.SubtitleFileName, "/keep/me.sub");
    test::TempFolder folder;
    WriteSubtitleLines(doc, folder.path("new.sub"));
    EXPECT_EQ(test::ReadBytes(folder.path("new.sub")),
              "[INFORMATION]\r\n[AUTHOR]\r\n[SOURCE]\r\n[PRG]\r\n[FILEPATH\r\n[DELAY]\r\n"
              "[CD TRACK]\r\n[COMMENT]\r\n[END INFORMATION]\r\n\r\n[SUBTITLE]\r\n"
              "[COLF]&HFFFFFF,[STYLE]no,[SIZE]18,[FONT]Arial\r\n");
}

TEST(Creation, ThreeDialogsFromATwoLineText) {
    SubtitleDocument doc;
    StartCreation(doc);
    const std::vector<std::string> text{"First line", "Second line"};

    auto s1 = DialogStart(doc, text, 62350);
    EXPECT_EQ(s1.text, "First line");
    EXPECT_EQ(s1.viewerEntry, 1);
    EXPECT_EQ(doc.SubtitleCount, 1);
    EXPECT_EQ(doc.FinishedCount(), 0u);
    EXPECT_EQ(doc.SubtitleLines.size(), 12u); // no lines while pending
    auto e1 = DialogEnd(doc, text, 64800);
    EXPECT_EQ(e1.dialogEntry, "1) First line");
    EXPECT_EQ(e1.viewerEntry, 2);

    DialogStart(doc, text, 70000);
    DialogEnd(doc, text, 71000);
    auto s3 = DialogStart(doc, text, 80000);
    EXPECT_EQ(s3.text, "Insert text Here");
    EXPECT_EQ(s3.viewerEntry, -1);
    auto e3 = DialogEnd(doc, text, 81990);
    EXPECT_EQ(e3.dialogEntry, "3) Insert text Here");
    EXPECT_EQ(e3.viewerEntry, -1);

    std::vector<std::string> body(doc.SubtitleLines.begin() + 12, doc.SubtitleLines.end());
    EXPECT_THAT(body,
                ElementsAre("00:01:02.35,00:01:04.80", "First line", "", "00:01:10.00,00:01:11.00",
                            "Second line", "", "00:01:20.00,00:01:21.99", "Insert text Here", ""));
    EXPECT_EQ(doc.SubtitleLineIndex[1], 3);
    // The anchors follow the count: first and last finished subtitle.
    EXPECT_EQ(doc.FirstAnchor, 0);
    EXPECT_EQ(doc.LastAnchor, 2);
}

TEST(Creation, LongTextLineIsWrittenWholeButStoredCut) {
    SubtitleDocument doc;
    StartCreation(doc);
    const std::vector<std::string> text{std::string(300, 'w')};
    DialogStart(doc, text, 1000);
    EXPECT_EQ(doc.SubtitleTexts[0].size(), 255u);
    auto ended = DialogEnd(doc, text, 2000);
    EXPECT_EQ(doc.SubtitleLines[13].size(), 300u);
    EXPECT_EQ(ended.dialogEntry.size(), 303u);
}

TEST(Creation, EndBeyondADayKeepsTheSubtitlePendingWithoutLines) {
    SubtitleDocument doc;
    StartCreation(doc);
    DialogStart(doc, {}, 1000);
    EXPECT_THROW(DialogEnd(doc, {}, 86400000), TimeEncodeError);
    EXPECT_EQ(doc.end(0), 86400000);
    EXPECT_TRUE(doc.SubtitlePending);
    EXPECT_EQ(doc.SubtitleLines.size(), 12u);
}

TEST(Creation, PendingSubtitleIsLeftOutOfFixSynchAndRewrites) {
    SubtitleDocument doc;
    StartCreation(doc);
    DialogStart(doc, {"a", "b", "c"}, 1000);
    DialogEnd(doc, {"a", "b", "c"}, 2000);
    DialogStart(doc, {"a", "b", "c"}, 5000);
    DialogEnd(doc, {"a", "b", "c"}, 6000);
    DialogStart(doc, {"a", "b", "c"}, 9000); // started, not ended
    ASSERT_EQ(doc.FinishedCount(), 2u);
    EXPECT_EQ(doc.LastAnchor, 1);
    NoProgress progress;
    auto outcome = FixSynch(doc, "00:00:02.00", "00:00:10.00", 3, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Stretched);
    EXPECT_EQ(doc.start(1), 10000);
    EXPECT_EQ(doc.start(2), 9000); // the pending one is not touched
    EXPECT_EQ(doc.SubtitleLines[15], "00:00:10.00,00:00:12.00");
    EXPECT_EQ(doc.SubtitleLines.size(), 18u);
    // Its end comes as usual.
    DialogEnd(doc, {"a", "b", "c"}, 9500);
    EXPECT_EQ(doc.SubtitleLines[18], "00:00:09.00,00:00:09.50");
}

TEST(Creation, CreatedDocumentReadsBackAsTheSameTable) {
    SubtitleDocument doc;
    StartCreation(doc);
    for (int k = 0; k < 5; ++k) {
        DialogStart(doc, {"x"}, 1000 * k + 10);
        DialogEnd(doc, {"x"}, 1000 * k + 500);
    }
    SubtitleDocument reread = test::OpenLines(doc.SubtitleLines);
    ASSERT_EQ(reread.SubtitleFormat, sfSubViewer2);
    ASSERT_EQ(reread.SubtitleCount, 5);
    EXPECT_EQ(reread.start(3), 3010);
    EXPECT_EQ(reread.end(4), 4500);
}

TEST(RepairLine, RewritesOnlyTheRepairedTimeLineInItsOwnForm) {
    auto srt = test::OpenLines({"5", "00:00:01,000 --> 00:00:02,000  X1:1", "a", "", "9",
                                "00:00:03,000 --> 00:00:04,000", "b", ""});
    const auto before = srt.SubtitleLines;
    srt.TimingTable[0][1] = 3500;
    srt.TimingTable[1][1] = 4750;
    RewriteTimingLine(srt, 1);
    auto expected = before;
    expected.set(5, "00:00:03,500 --> 00:00:04,750");
    EXPECT_EQ(srt.SubtitleLines, expected); // counters keep their numbers
    srt.TimingTable[0][0] = 1200;
    RewriteTimingLine(srt, 0);
    EXPECT_EQ(srt.SubtitleLines[1], "00:00:01,200 --> 00:00:02,000  X1:1");

    auto mdvd = test::OpenLines({"{10}{20}a|b", "{30}{40}c"});
    mdvd.TimingTable[1][0] = 25;
    RewriteTimingLine(mdvd, 0);
    EXPECT_EQ(mdvd.SubtitleLines[0], "{10}{25}a|b");

    srt.TimingTable[1][1] = -5;
    const auto lines = srt.SubtitleLines;
    EXPECT_THROW(RewriteTimingLine(srt, 1), TimeEncodeError);
    EXPECT_EQ(srt.SubtitleLines, lines);
}

} // namespace
} // namespace velkar
