#include "playback/OverlaySearch.h"

#include <gtest/gtest.h>

#include <random>

namespace velkar {
namespace {

SubtitleDocument Table(SubtitleFormat format, std::vector<TimeValue> starts,
                       std::vector<TimeValue> ends, std::vector<std::string> texts = {}) {
    SubtitleDocument doc;
    doc.SubtitleFormat = format;
    doc.SubtitleCount = static_cast<std::uint16_t>(starts.size());
    texts.resize(starts.size());
    doc.SubtitleLineIndex.resize(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i)
        doc.SubtitleLineIndex[i] = static_cast<std::int32_t>(10 + i);
    doc.TimingTable = {std::move(starts), std::move(ends)};
    doc.SubtitleTexts = std::move(texts);
    return doc;
}

TEST(Half, RoundsTiesToEven) {
    EXPECT_EQ(Half(0), 0);
    EXPECT_EQ(Half(1), 0);
    EXPECT_EQ(Half(2), 1);
    EXPECT_EQ(Half(3), 2);
    EXPECT_EQ(Half(5), 2);
    EXPECT_EQ(Half(7), 4);
    EXPECT_EQ(Half(65535), 32768);
}

struct PosCase {
    std::int32_t pos;
    const char* text;
    std::int32_t line;
};

class FourSubtitles : public testing::TestWithParam<PosCase> {};

TEST_P(FourSubtitles, ShowsTheSubtitleAtThePosition) {
    auto doc = Table(sfSubRip, {0, 100, 200, 300}, {50, 150, 250, 350}, {"a", "b", "c", "d"});
    auto current = FindCurrentSubtitle(doc, GetParam().pos);
    EXPECT_EQ(current.text, GetParam().text);
    EXPECT_EQ(current.line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Positions, FourSubtitles,
                         testing::Values(PosCase{100, "", -1}, PosCase{101, "b", 11},
                                         PosCase{150, "b", 11}, PosCase{151, "", -1},
                                         PosCase{0, "a", 10}, PosCase{50, "a", 10},
                                         PosCase{-5, "", -1}, PosCase{400, "", -1},
                                         PosCase{350, "d", 13}));

TEST(FindSubtitleIndex, AscendingStartsGiveTheLastStartBelowThePosition) {
    std::mt19937 random(7);
    for (int n : {1, 2, 3, 4, 5, 17, 1024, 65535}) {
        std::vector<TimeValue> starts(n);
        std::int32_t t = 0;
        for (auto& s : starts)
            s = t += 1 + static_cast<std::int32_t>(random() % 50);
        auto doc = Table(sfMicroDVD, starts, starts);
        EXPECT_EQ(FindSubtitleIndex(doc, starts[0] - 1), static_cast<std::size_t>(n - 1));
        EXPECT_EQ(FindSubtitleIndex(doc, starts[0]), 0u);
        for (int probe = 0; probe < 200; ++probe) {
            std::int32_t pos = starts[0] + 1 + static_cast<std::int32_t>(random() % (t + 60));
            auto expected =
                std::lower_bound(starts.begin(), starts.end(), pos) - starts.begin() - 1;
            ASSERT_EQ(FindSubtitleIndex(doc, pos), static_cast<std::size_t>(expected))
                << "n=" << n << " pos=" << pos;
        }
    }
}

TEST(FindSubtitleIndex, UnorderedTableEndsInsideTheTable) {
    std::mt19937 random(11);
    for (int n : {2, 3, 100, 65535}) {
        std::vector<TimeValue> starts(n);
        for (auto& s : starts)
            s = static_cast<std::int32_t>(random() % 1000);
        auto doc = Table(sfSubRip, starts, starts);
        for (std::int32_t pos : {-1, 0, 500, 2000})
            EXPECT_LT(FindSubtitleIndex(doc, pos), static_cast<std::size_t>(n));
    }
}

TEST(FindCurrentSubtitle, LineBreaksByFormat) {
    auto mdvd = Table(sfMicroDVD, {0}, {10}, {"one|two"});
    EXPECT_EQ(FindCurrentSubtitle(mdvd, 5).text, "one\n\rtwo");
    auto srt = Table(sfSubRip, {0}, {10}, {"one[br]two[BR]three"});
    EXPECT_EQ(FindCurrentSubtitle(srt, 5).text, "one\n\rtwo[BR]three");
    // Markup never reaches the picture: the bytes stay as they are in the document.
    auto italic =
        Table(sfSubRip, {0}, {10}, {"{\\an8}<i>one</i>[br]<font color=\"red\">two</font>"});
    EXPECT_EQ(FindCurrentSubtitle(italic, 5).text, "one\n\rtwo");
    EXPECT_EQ(italic.SubtitleTexts[0], "{\\an8}<i>one</i>[br]<font color=\"red\">two</font>");
    auto codes = Table(sfMicroDVD, {0}, {10}, {"{y:i}one|{c:$0000ff}two"});
    EXPECT_EQ(FindCurrentSubtitle(codes, 5).text, "one\n\rtwo");
    auto unknown = Table(sfUnknown, {0}, {10}, {"text"});
    EXPECT_EQ(FindCurrentSubtitle(unknown, 5).text, "");
}

TEST(FindCurrentSubtitle, OverlapShowsTheLaterStart) {
    auto doc = Table(sfSubRip, {0, 10}, {100, 50}, {"long", "short"});
    EXPECT_EQ(FindCurrentSubtitle(doc, 20).text, "short");
}

TEST(FindCurrentSubtitle, TextIsCutTo255AfterBreaksAreTurned) {
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "ab|";
    auto doc = Table(sfMicroDVD, {0}, {10}, {text});
    auto current = FindCurrentSubtitle(doc, 0);
    EXPECT_EQ(current.text.size(), 255u);
    EXPECT_EQ(current.text.substr(0, 8), "ab\n\rab\n\r");
}

TEST(FindCurrentSubtitle, NoSubtitlesShowNothing) {
    SubtitleDocument doc;
    doc.SubtitleFormat = sfSubRip;
    EXPECT_EQ(FindCurrentSubtitle(doc, 0).text, "");
    EXPECT_EQ(FindCurrentSubtitle(doc, 0).line, -1);
}

} // namespace
} // namespace velkar
