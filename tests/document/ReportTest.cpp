#include "TestSupport.h"

#include "document/Errors.h"
#include "document/Report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkar {
namespace {

TEST(SubtitleInformation, NamesFormatCountsLinesAndShowsFirstAndLastStart) {
    auto doc = test::OpenLines({"{10}{20}one", "", "{30}{40}two|lines"});
    EXPECT_EQ(SubtitleInformation(doc), "Subtitle Format:\tMicroDVD player\n\r"
                                        "Total Lines:\t3\n\r"
                                        "First Subtitle:\t10  one\n\r"
                                        "Last Subtitle:\t30  two|lines");
    auto srt = test::OpenLines({"1", "00:00:01,000 --> 00:00:02,000", "a", "b", "", "2",
                                "00:01:00,500 --> 00:01:02,000", "c", ""});
    EXPECT_EQ(SubtitleInformation(srt), "Subtitle Format:\tSubrip\n\r"
                                        "Total Lines:\t9\n\r"
                                        "First Subtitle:\t00:00:01,000  a[br]b\n\r"
                                        "Last Subtitle:\t00:01:00,500  c");
}

TEST(SubtitleInformation, AMicroDVDFrameRateHasALineOfItsOwn) {
    auto doc = test::OpenLines({"{1}{1}23.976", "{10}{20}one", "{30}{40}two"});
    EXPECT_EQ(SubtitleInformation(doc), "Subtitle Format:\tMicroDVD player\n\r"
                                        "Frame Rate:\t23.976\n\r"
                                        "Total Lines:\t3\n\r"
                                        "First Subtitle:\t10  one\n\r"
                                        "Last Subtitle:\t30  two");
}

TEST(SubtitleInformation, WithoutSubtitlesNothingFollowsTheTabs) {
    auto doc = test::OpenLines({"{1}{1}25", "", ""}); // a frame rate and nothing else
    ASSERT_EQ(doc.SubtitleCount, 0);
    EXPECT_EQ(SubtitleInformation(doc), "Subtitle Format:\tMicroDVD player\n\rFrame Rate:\t25\n\r"
                                        "Total Lines:\t3\n\rFirst Subtitle:\t\n\rLast Subtitle:\t");
}

// A start that no time text can show names its subtitle and time line (from 1), whichever of
// the clock formats holds it.
TEST(StartText, NamesTheSubtitleAndItsLineBeyondADay) {
    const std::string tail = " starts at 24:00:00 or later. A subtitle file's times run from "
                             "00:00:00 to 23:59:59: mend the line in the editor (Edit...).";
    auto srt = test::OpenLines({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                                "25:00:01,000 --> 25:00:02,000", "late", ""});
    ASSERT_EQ(srt.SubtitleCount, 2);
    EXPECT_EQ(StartText(srt, 0), "00:00:01,000");
    EXPECT_THAT([&] { StartText(srt, 1); },
                testing::ThrowsMessage<TimeEncodeError>(testing::StrEq(
                    "Invalid argument to time encode\n\rSubtitle 2 (line 6)" + tail)));
    EXPECT_THROW(SubtitleInformation(srt), TimeEncodeError);
    auto sub = test::OpenLines({"[SUBTITLE]", "x", "23:59:59.99,23:59:59.99", "a", "",
                                "24:00:00.50,24:00:01.00", "b", ""});
    ASSERT_EQ(sub.SubtitleFormat, sfSubViewer2);
    EXPECT_THAT([&] { StartText(sub, 1); },
                testing::ThrowsMessage<TimeEncodeError>(testing::StrEq(
                    "Invalid argument to time encode\n\rSubtitle 2 (line 6)" + tail)));
}

TEST(SubtitleInformation, UnknownAndDamagedHaveNames) {
    EXPECT_EQ(ReportFormatName(sfUnknown), "Unknown");
    EXPECT_EQ(ReportFormatName(sfDamaged), "Damaged");
    EXPECT_EQ(ReportFormatName(sfSubViewer2), "SubViewer v2.0");
}

TEST(DamagedFileQuestion, NamesTheFormatWithTheLargestErrorLine) {
    SubtitleDocument doc;
    doc.ErrorTexts = {"(Line:2)\n\rm", "(Line:9)\n\rs", "(Line:4)\n\rr"};
    doc.ErrorLines = {2, 9, 4};
    EXPECT_EQ(DamagedFileQuestion(doc), "The Subtitle file seems to be a SubViewer 2.0 file, but "
                                        "it has at least one error:\n\r(Line:9)\n\rs\n\r\n\r"
                                        "Try to fix errors?");
    doc.ErrorLines = {2, 3, 4};
    // SubRip: the error text follows the colon directly.
    EXPECT_EQ(DamagedFileMessage(doc), "The Subtitle file seems to be a SubRip file, but it has "
                                       "at least one error:(Line:4)\n\rr");
    doc.ErrorLines = {4, 4, 4}; // ties go to MicroDVD, then SubViewer 2.0
    EXPECT_EQ(MostLikelyFormat(doc), erMicroDVD);
    doc.ErrorLines = {1, 4, 4};
    EXPECT_EQ(MostLikelyFormat(doc), erSubViewer2);
}

TEST(DamagedFileQuestion, LongErrorLineCutsTheQuestionAt255) {
    SubtitleDocument doc;
    doc.ErrorLines = {5, 0, 0};
    doc.ErrorTexts[erMicroDVD] = "(Line:5)\n\r" + std::string(245, 'x');
    const std::string question = DamagedFileQuestion(doc);
    EXPECT_EQ(question.size(), 255u);
    EXPECT_EQ(question.find("Try to fix"), std::string::npos);
}

} // namespace
} // namespace velkar
