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

// Every way a time can leave the day says which subtitle, where and what to do about it for
// where the time came from.
TEST(OutsideDayText, EachSourceHasItsOwnAdvice) {
    auto srt = test::OpenLines({"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                                "00:00:03,000 --> 00:00:04,000", "b", ""});
    ASSERT_EQ(srt.SubtitleCount, 2);
    const std::string day = "A subtitle file's times run from 00:00:00 to 23:59:59: ";
    const struct {
        TimeSource source;
        bool end;
        std::int32_t value;
        std::string text;
    } cases[] = {
        {TimeSource::File, false, 86400000,
         "Subtitle 2 (line 6) starts at 24:00:00 or later. " + day +
             "mend the line in the editor (Edit...)."},
        {TimeSource::File, true, -1,
         "Subtitle 2 (line 6) ends before 00:00:00. " + day +
             "mend the line in the editor (Edit...)."},
        {TimeSource::TypedAnchors, false, -1,
         "Subtitle 2 (line 6) would start before 00:00:00. " + day +
             "check the true times typed for the anchors."},
        {TimeSource::Sound, false, -1,
         "Subtitle 2 (line 6) would start before 00:00:00. " + day +
             "the times found in the movie's sound do not fit these subtitles: check that the "
             "movie is the one they belong to, from its very beginning."},
        {TimeSource::Sound, true, 86400000,
         "Subtitle 2 (line 6) would end at 24:00:00 or later. " + day +
             "the times found in the movie's sound do not fit these subtitles: check that the "
             "movie is the one they belong to, from its very beginning."},
        // A subtitle taken from the player may be one being created: no line of the file.
        {TimeSource::Player, false, 86400000,
         "Subtitle 2 would start at 24:00:00 or later. " + day +
             "take the time at an earlier place in the movie."},
        {TimeSource::Player, true, -1,
         "Subtitle 2 would end before 00:00:00. " + day +
             "take the time at a later place in the movie."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutsideDayText(srt, 1, c.end, c.value, c.source), c.text) << c.value;

    EXPECT_EQ(PlayerPositionText(86400000),
              "The player's position is at 24:00:00 or later. " + day +
                  "take the time at an earlier place in the movie, or type it.");
    EXPECT_EQ(PlayerPositionText(-40), "The player's position is before 00:00:00. " + day +
                                           "take the time at a later place in the movie, or "
                                           "type it.");

    // The time as text while it has one, the message on a second line once it has none.
    EXPECT_EQ(SubtitleTimeText(srt, 1, true, TimeSource::Player), "00:00:04,000");
    srt.TimingTable[1][1] = 86400000;
    EXPECT_THAT([&] { SubtitleTimeText(srt, 1, true, TimeSource::Player); },
                testing::ThrowsMessage<TimeEncodeError>(
                    testing::StrEq("Invalid argument to time encode\n\r" +
                                   OutsideDayText(srt, 1, true, 86400000, TimeSource::Player))));
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
