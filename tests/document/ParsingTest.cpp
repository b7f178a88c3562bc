#include "TestSupport.h"

#include "document/Errors.h"
#include "document/LineTests.h"
#include "document/Parsing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;
using testing::ElementsAre;
using testing::StrEq;
using testing::ThrowsMessage;

SubtitleDocument Parsed(SubtitleFormat format, Lines lines,
                        std::vector<std::string>* dialogs = nullptr) {
    SubtitleDocument doc;
    doc.SubtitleLines = std::move(lines);
    doc.SubtitleFormat = format;
    NoProgress progress;
    ParseSubtitles(doc, progress, dialogs);
    return doc;
}

TEST(MicroDVDParse, FramesTextAndLineIndex) {
    std::vector<std::string> dialogs;
    auto doc = Parsed(sfMicroDVD,
                      {"{100}{200}Hello|World", "", "{1}{2}", "{300}{400}", "{5}{6}a", "{7}{8}ab",
                       "}}", "{}{}", "x}{1}"},
                      &dialogs);
    ASSERT_EQ(doc.SubtitleCount, 5);
    EXPECT_EQ(doc.start(0), 100);
    EXPECT_EQ(doc.end(0), 200);
    EXPECT_EQ(doc.SubtitleTexts[0], "Hello|World");
    // "{1}{2}": 6 characters, a subtitle without text all the same.
    EXPECT_EQ(doc.start(1), 1);
    EXPECT_EQ(doc.end(1), 2);
    EXPECT_EQ(doc.SubtitleTexts[1], "");
    EXPECT_EQ(doc.SubtitleTexts[2], ""); // {300}{400} alone: 10 characters
    EXPECT_EQ(doc.SubtitleTexts[3], "a");
    EXPECT_THAT(
        std::vector<std::int32_t>(doc.SubtitleLineIndex.begin(), doc.SubtitleLineIndex.begin() + 5),
        ElementsAre(0, 2, 3, 4, 5));
    EXPECT_THAT(dialogs, ElementsAre("1) Hello | World", "2) ", "3) ", "4) a", "5) ab"));
    // One column per subtitle.
    EXPECT_EQ(doc.TimingTable[1].size(), 5u);
    EXPECT_EQ(doc.SubtitleTexts.size(), 5u);
}

// The first line of a MicroDVD file may give its frame rate; only the exact form counts.
struct FrameRateCase {
    const char* line;
    const char* rate; // "" when the line is not a frame-rate line
};

class FrameRateLine : public testing::TestWithParam<FrameRateCase> {};

TEST_P(FrameRateLine, IsTheFilesNotASubtitle) {
    const auto [line, rate] = GetParam();
    EXPECT_EQ(FrameRateOf(line), rate);
    std::vector<std::string> dialogs;
    auto doc = Parsed(sfMicroDVD, {line, "{100}{200}Hello", "{1}{1}25"}, &dialogs);
    const bool isRate = *rate != 0;
    // Only as the first line: further down the same text is a subtitle like any other.
    ASSERT_EQ(doc.SubtitleCount, isRate ? 2 : 3);
    EXPECT_EQ(doc.SubtitleLineIndex[0], isRate ? 1 : 0);
    EXPECT_EQ(dialogs.front(), isRate ? "1) Hello" : std::string("1) ") + doc.SubtitleTexts[0]);
    EXPECT_EQ(doc.SubtitleTexts.back(), "25");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FrameRateLine,
    testing::Values(FrameRateCase{"{1}{1}23.976", "23.976"}, FrameRateCase{"{0}{0}25", "25"},
                    FrameRateCase{"{1}{1}29,970030", "29,970030"},
                    FrameRateCase{"{1}{1}29.970030", "29.970030"}, FrameRateCase{"{1}{1}25.", ""},
                    FrameRateCase{"{1}{1}.5", ""}, FrameRateCase{"{1}{1}23.976 fps", ""},
                    FrameRateCase{"{1}{1}2.3.9", ""}, FrameRateCase{"{1}{2}23.976", ""},
                    FrameRateCase{"{1}{20}29.970", ""}, FrameRateCase{"{1}{1}Hello", ""},
                    FrameRateCase{"{1}{1}-25", ""}, FrameRateCase{"{1}{1}23.976 ", "23.976"},
                    FrameRateCase{"{1}{1}25\t \t", "25"}, FrameRateCase{"{1}{1} 25", ""},
                    FrameRateCase{"{1}{1}25 x", ""}, FrameRateCase{"{1}{1}25.\t", ""}));

TEST(MicroDVDParse, StyleCodesStayInTheText) {
    auto doc = Parsed(sfMicroDVD, {"{1}{25}{y:i}Hello"});
    EXPECT_EQ(doc.SubtitleTexts[0], "{y:i}Hello");
}

TEST(MicroDVDParse, FieldThatIsNotANumberStopsTheParse) {
    SubtitleDocument doc;
    doc.SubtitleLines = {"{1}{2}ok", "{a}{200}x"};
    doc.SubtitleFormat = sfMicroDVD;
    NoProgress progress;
    EXPECT_THAT([&] { ParseSubtitles(doc, progress); },
                ThrowsMessage<ConversionError>(StrEq("'a' is not a valid integer value")));
    EXPECT_EQ(doc.SubtitleCount, 2); // counts the subtitle being added
    EXPECT_THAT([] { Parsed(sfMicroDVD, {"}x}yyyyy"}); },
                ThrowsMessage<ConversionError>(StrEq("'' is not a valid integer value")));
}

TEST(SubRipParse, BlocksJoinTextLinesWithBr) {
    std::vector<std::string> dialogs;
    auto doc = Parsed(sfSubRip,
                      {"1", "00:00:01,000 --> 00:00:02,500", "Hello", "World", "", "7",
                       "00:01:00,000 --> 01:00:00,001", "", "", "3",
                       "00:00:05,000 --> 00:00:06,000", "Last"},
                      &dialogs);
    ASSERT_EQ(doc.SubtitleCount, 3);
    EXPECT_EQ(doc.start(0), 1000);
    EXPECT_EQ(doc.end(0), 2500);
    EXPECT_EQ(doc.SubtitleTexts[0], "Hello[br]World");
    EXPECT_EQ(doc.SubtitleLineIndex[0], 1);
    EXPECT_EQ(doc.start(1), 60000);
    EXPECT_EQ(doc.end(1), 3600001);
    EXPECT_EQ(doc.SubtitleTexts[1], ""); // time line followed by the empty line
    EXPECT_EQ(doc.SubtitleTexts[2], "Last");
    EXPECT_THAT(dialogs, ElementsAre("1) Hello | World", "2) ", "3) Last"));
}

TEST(SubRipParse, LastLineIsNeverASecondTextLine) {
    auto doc = Parsed(sfSubRip, {"1", "00:00:01,000 --> 00:00:02,000", "one", "two"});
    EXPECT_EQ(doc.SubtitleTexts[0], "one");
}

TEST(SubRipParse, TimeLineAsTheLastLineReadsPastTheEnd) {
    EXPECT_THAT(
        [] {
            Parsed(sfSubRip, {"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2",
                              "00:00:03,000 --> 00:00:04,000"});
        },
        ThrowsMessage<ListIndexError>(StrEq("List index out of bounds (6)")));
}

TEST(SubRipParse, LinesWithoutCountersGiveNoSubtitles) {
    auto doc = Parsed(sfSubRip, {"a", "b", "c"});
    EXPECT_EQ(doc.SubtitleCount, 0);
}

TEST(SubRipParse, TextOver255IsCutBeforeTheFinalBrIsRemoved) {
    const std::string line(253, 'x');
    auto doc = Parsed(sfSubRip, {"1", "00:00:01,000 --> 00:00:02,000", line, "y", "", "z"});
    // 253 + "[br]" is cut to 255 ("...x[b"), "y[br]" is cut away, and 4 characters go.
    EXPECT_EQ(doc.SubtitleTexts[0], std::string(251, 'x'));
}

TEST(SubViewerParse, BlocksFromTheFirstTimeLine) {
    auto doc =
        Parsed(sfSubViewer2, {"[INFORMATION]", "[SUBTITLE]", "style", "00:00:41.00,00:00:44.40",
                              "Hi[br]there", "", "01:00:00.01,01:00:00.99", "Bye"});
    EXPECT_EQ(doc.FirstTimeLine, 3);
    ASSERT_EQ(doc.SubtitleCount, 2);
    EXPECT_EQ(doc.start(0), 41000);
    EXPECT_EQ(doc.end(0), 44400);
    EXPECT_EQ(doc.SubtitleTexts[0], "Hi[br]there");
    EXPECT_EQ(doc.start(1), 3600010);
    EXPECT_EQ(doc.end(1), 3600990);
    EXPECT_EQ(doc.SubtitleLineIndex[1], 6);
}

TEST(SubViewerParse, TrailingEmptyLinesEndTheParse) {
    auto doc = Parsed(sfSubViewer2,
                      {"[SUBTITLE]", "style", "00:00:01.00,00:00:02.00", "a", "", "", "", ""});
    EXPECT_EQ(doc.SubtitleCount, 1);
}

TEST(SubViewerParse, EmptyLineBeforeMoreTextStillFails) {
    EXPECT_THAT(
        [] {
            Parsed(sfSubViewer2, {"00:00:01.00,00:00:02.00", "a", "", "", "b"});
        },
        ThrowsMessage<ConversionError>(StrEq("'' is not a valid integer value")));
}

TEST(Parse, WithoutTextsTheTableAndTheFailuresStayTheSame) {
    const std::vector<std::pair<SubtitleFormat, Lines>> documents{
        {sfMicroDVD, {"{100}{200}Hello|World", "", "{1}{2}", "{300}{400}", "{5}{6}a"}},
        {sfMicroDVD, {"{1}{2}ok", "{a}{200}x"}},
        {sfSubRip,
         {"1", "00:00:01,000 --> 00:00:02,000", "Hello", "World", "", "x", "2",
          "00:00:03,000 --> 00:00:04,500", "Bye", ""}},
        {sfSubRip,
         {"1", "00:00:01,000 --> 00:00:02,000", "a", "", "2", "00:00:03,000 --> 00:00:04,000"}},
        {sfSubViewer2,
         {"[SUBTITLE]", "", "00:00:01.00,00:00:02.50", "Hi[br]there", "", "01:00:00.01,01:00:00.99",
          "Bye"}},
        {sfSubViewer2, {"00:00:01.00,00:00:02.50", "Hi", "", "00:00:03.00,00:00:04.00"}},
    };
    for (const auto& [format, lines] : documents) {
        SubtitleDocument with, without;
        std::string failedWith, failedWithout;
        for (auto [doc, failed, texts] :
             {std::tuple(&with, &failedWith, SubtitleTextsWanted::Yes),
              std::tuple(&without, &failedWithout, SubtitleTextsWanted::No)}) {
            doc->SubtitleLines = lines;
            doc->SubtitleFormat = format;
            NoProgress progress;
            try {
                ParseSubtitles(*doc, progress, nullptr, texts);
            } catch (const VelkarError& e) {
                *failed = e.what();
            }
        }
        EXPECT_EQ(failedWithout, failedWith) << lines.front();
        EXPECT_EQ(without.SubtitleCount, with.SubtitleCount) << lines.front();
        EXPECT_EQ(without.TimingTable, with.TimingTable) << lines.front();
        EXPECT_EQ(without.SubtitleLineIndex, with.SubtitleLineIndex) << lines.front();
        EXPECT_EQ(without.FirstTimeLine, with.FirstTimeLine) << lines.front();
        EXPECT_TRUE(without.SubtitleTexts.empty()) << lines.front();
    }
}

TEST(Parse, OtherFormatsOnlyEmptyTheDialogList) {
    std::vector<std::string> dialogs{"stale"};
    auto doc = Parsed(sfUnknown, {"{1}{2}abc"}, &dialogs);
    EXPECT_EQ(doc.SubtitleCount, 0);
    EXPECT_TRUE(dialogs.empty());
}

TEST(Parse, MoreThan65535SubtitlesAreRefused) {
    Lines lines(65536, "{1}{2}abc");
    SubtitleDocument doc;
    doc.SubtitleLines = lines;
    doc.SubtitleFormat = sfMicroDVD;
    NoProgress progress;
    EXPECT_THAT(
        [&] { ParseSubtitles(doc, progress); },
        ThrowsMessage<VelkarError>(StrEq("The Subtitle file holds more than 65535 subtitles")));
    EXPECT_EQ(doc.SubtitleCount, 65535);
    lines.pop_back();
    EXPECT_EQ(Parsed(sfMicroDVD, lines).SubtitleCount, 65535);
}

TEST(ReadTimes, FixedColumns) {
    EXPECT_EQ(ReadSubRipTimes("01:02:03,004 --> 05:06:07,089"), std::make_pair(3723004, 18367089));
    EXPECT_EQ(ReadSubViewerTimes("00:00:00.00,23:59:59.99"), std::make_pair(0, 86399990));
    EXPECT_THAT([] { ReadSubRipTimes("01:02:03,004 --> 05:06:0"); },
                ThrowsMessage<ConversionError>(StrEq("'' is not a valid integer value")));
}

} // namespace
} // namespace velkar
