// The label under the picture: times in the document's form and the subtitle showing.

#include "playback/OverlayCaption.h"

#include <gtest/gtest.h>

namespace velkar {
namespace {

// Starts 0, 100, 200, 300 and ends 50, 150, 250, 350; each subtitle's time line is line 4k + 1.
SubtitleDocument FourSubtitles(SubtitleFormat format) {
    SubtitleDocument doc;
    doc.SubtitleFormat = format;
    doc.SubtitleLoaded = true;
    doc.SubtitleCount = 4;
    doc.TimingTable = {std::vector<TimeValue>{0, 100, 200, 300},
                       std::vector<TimeValue>{50, 150, 250, 350}};
    if (format == sfMicroDVD)
        doc.SubtitleTexts = {"zero", "one|two", "two", "three"};
    else
        doc.SubtitleTexts = {"zero", "one[br]two", "two[BR]x", "three"};
    doc.SubtitleLineIndex = {1, 5, 9, 13};
    return doc;
}

struct CaptionCase {
    std::int32_t position;
    const char* text;
    std::int32_t line;
};

class SubRipCaption : public testing::TestWithParam<CaptionCase> {};

TEST_P(SubRipCaption, ShowsTheTimesAndTheSubtitleAtThePosition) {
    const SubtitleDocument doc = FourSubtitles(sfSubRip);
    std::string out = "left over";
    const std::int32_t line = OverlayCaption(doc, GetParam().position, 90000, out);
    EXPECT_EQ(out, GetParam().text);
    EXPECT_EQ(line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    FourSubtitles, SubRipCaption,
    testing::Values(CaptionCase{0, "00:00:00,000 / 00:01:30,000\n\rzero", 1},
                    CaptionCase{100, "00:00:00,100 / 00:01:30,000\n\r", -1},
                    CaptionCase{101, "00:00:00,101 / 00:01:30,000\n\rone\n\rtwo", 5},
                    CaptionCase{150, "00:00:00,150 / 00:01:30,000\n\rone\n\rtwo", 5},
                    CaptionCase{151, "00:00:00,151 / 00:01:30,000\n\r", -1},
                    // a marker in capitals is no line break
                    CaptionCase{201, "00:00:00,201 / 00:01:30,000\n\rtwo[BR]x", 9},
                    CaptionCase{400, "00:00:00,400 / 00:01:30,000\n\r", -1},
                    // before the first start: no clock form for a negative time, its number instead
                    CaptionCase{-5, "-5 / 00:01:30,000\n\r", -1}));

TEST(OverlayCaption, CountsFramesForAMicroDvdDocument) {
    const SubtitleDocument doc = FourSubtitles(sfMicroDVD);
    std::string out;
    EXPECT_EQ(OverlayCaption(doc, 120, 2250, out), 5);
    EXPECT_EQ(out, "120 / 2250\n\rone\n\rtwo");
}

TEST(OverlayCaption, WithoutADocumentShowsOnlyTheTimesInHundredths) {
    SubtitleDocument doc = FourSubtitles(sfSubRip);
    doc.SubtitleLoaded = false;
    doc.SubtitleFormat = sfUnknown;
    std::string out;
    EXPECT_EQ(OverlayCaption(doc, 5010, 90000, out), -1);
    EXPECT_EQ(out, "00:00:05.01 / 00:01:30.00");
}

TEST(OverlayCaption, ALoadedDocumentWithoutSubtitlesShowsAnEmptySubtitle) {
    SubtitleDocument doc;
    doc.SubtitleFormat = sfSubRip;
    doc.SubtitleLoaded = true;
    std::string out;
    EXPECT_EQ(OverlayCaption(doc, 0, 0, out), -1);
    EXPECT_EQ(out, "00:00:00,000 / 00:00:00,000\n\r");
}

TEST(OverlayCaption, AMovieOfADayOrMoreShowsItsLengthAsANumberRatherThanFailing) {
    const SubtitleDocument doc = FourSubtitles(sfSubRip);
    std::string out;
    OverlayCaption(doc, 86399999, 90000000, out);
    EXPECT_EQ(out, "23:59:59,999 / 90000000\n\r");
}

} // namespace
} // namespace velkar
