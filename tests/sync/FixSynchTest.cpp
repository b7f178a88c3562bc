#include "TestSupport.h"

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "sync/ExactLine.h"
#include "sync/FixSynch.h"
#include "sync/StraightLine.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;
using testing::ElementsAre;
using testing::StrEq;
using testing::ThrowsMessage;

Lines SubRipLines(const std::vector<std::pair<const char*, const char*>>& times) {
    Lines lines;
    int k = 1;
    for (auto [start, end] : times) {
        lines.push_back(std::to_string(k));
        lines.push_back(std::string(start) + " --> " + end);
        lines.push_back("text " + std::to_string(k++));
        lines.push_back("");
    }
    return lines;
}

std::vector<std::int32_t> Starts(const SubtitleDocument& d) {
    return {d.TimingTable[0].begin(), d.TimingTable[0].begin() + d.SubtitleCount};
}
std::vector<std::int32_t> Ends(const SubtitleDocument& d) {
    return {d.TimingTable[1].begin(), d.TimingTable[1].begin() + d.SubtitleCount};
}

NoProgress progress;

TEST(FixSynch, WorkedExampleLandsOnTheLine) {
    auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:03,000"},
                                            {"00:00:04,000", "00:00:06,000"},
                                            {"00:00:10,000", "00:00:12,000"}}));
    auto outcome = FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Stretched);
    EXPECT_EQ(SynchResultText(outcome, doc.SubtitleFormat),
              "Stretched by 2.000000; first anchor 1: 00:00:01,000 -> 00:00:02,000; last anchor 3: "
              "00:00:10,000 -> 00:00:20,000");
    EXPECT_THAT(Starts(doc), ElementsAre(2000, 8000, 20000));
    EXPECT_THAT(Ends(doc), ElementsAre(6000, 12000, 24000));
    EXPECT_THAT(doc.SubtitleLines, ElementsAre("1", "00:00:02,000 --> 00:00:06,000", "text 1", "",
                                               "2", "00:00:08,000 --> 00:00:12,000", "text 2", "",
                                               "3", "00:00:20,000 --> 00:00:24,000", "text 3", ""));
}

TEST(FixSynch, RoundingTiesGoToEven) {
    // Halves on both sides of 0, in 64 bits and beyond them, where the 128-bit way is taken.
    const __int128 big = static_cast<__int128>(1) << 70;
    const struct {
        __int128 numerator, denominator, rounded;
    } cases[] = {{15, 2, 8},
                 {9, 2, 4},
                 {-5, 2, -2},
                 {-7, 2, -4},
                 {24999, 10000, 2},
                 {5, -2, -2},
                 {-5, -2, 2},
                 {0, 7, 0},
                 {2 * big + 1, 2, big},
                 {2 * big + 3, 2, big + 2},
                 {-(2 * big + 1), 2, -big},
                 {big, 3 * big, 0},
                 {2 * big, 3 * big, 1}};
    for (const auto& c : cases)
        EXPECT_TRUE(DivideRoundingToEven(c.numerator, c.denominator) == c.rounded)
            << static_cast<double>(c.numerator) << " / " << static_cast<double>(c.denominator);
    // With a ratio of 1.5 a duration of 5 becomes 8 and one of 3 becomes 4.
    auto doc = test::OpenLines({"{0}{5}a", "{5}{8}b", "{8}{10}c"});
    FixSynch(doc, "0", "12", 0, progress); // span 8 -> 12
    EXPECT_EQ(doc.end(0) - doc.start(0), 8);
    EXPECT_EQ(doc.end(1) - doc.start(1), 4);
}

TEST(LineMap, MapsEveryValueAsTheLineItself) {
    // Random lines of every size, around the edges of the 64-bit way and past them, either
    // slope's sign, units of 1, 10 and 100, and values up to 33 bits: the same result as at().
    std::mt19937_64 random(3);
    const auto any = [&](int bits) {
        const std::int64_t magnitude = static_cast<std::int64_t>(random() >> (64 - bits));
        return random() % 2 ? -magnitude : magnitude;
    };
    for (int round = 0; round < 20000; ++round) {
        const int bits = 1 + static_cast<int>(random() % 33);
        const std::int64_t units[] = {1, 10, 100};
        StraightLine line{any(bits), any(bits), any(1 + static_cast<int>(random() % 33)), any(bits),
                          units[random() % 3]};
        if (line.run == 0)
            line.run = 1;
        const LineMap map(line);
        for (int k = 0; k < 8; ++k) {
            const std::int64_t v = k == 0 ? -(std::int64_t{1} << 32) + 1 : any(k < 4 ? 33 : bits);
            ASSERT_TRUE(map(v) == line.at(v))
                << line.x1 << " " << line.y1 << " " << line.rise << "/" << line.run << " unit "
                << line.unit << " at " << v;
        }
    }
}

TEST(FixSynch, TypedTimesThatOnlyShiftMoveEveryValue) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:01,000", "00:00:03,000"}, {"00:00:04,000", "00:00:06,000"}}));
    auto outcome = FixSynch(doc, "00:00:05,000", "00:00:08,000", 3, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Shifted);
    EXPECT_EQ(outcome.shift, 4000);
    EXPECT_THAT(Starts(doc), ElementsAre(5000, 8000));
    EXPECT_THAT(Ends(doc), ElementsAre(7000, 10000));
    EXPECT_EQ(doc.SubtitleLines[1], "00:00:05,000 --> 00:00:07,000");
    EXPECT_EQ(SynchResultText(outcome, doc.SubtitleFormat),
              "Shifted by +4.000 s; first anchor 1: 00:00:01,000 -> 00:00:05,000; last anchor 2: "
              "00:00:04,000 -> 00:00:08,000");
    // Back again, and a MicroDVD shift counts frames.
    EXPECT_EQ(SynchResultText(FixSynch(doc, "00:00:00,750", "00:00:03,750", 3, progress),
                              doc.SubtitleFormat)
                  .substr(0, 20),
              "Shifted by -4.250 s;");
    auto frames = test::OpenLines({"{100}{200}a", "{300}{400}b"});
    EXPECT_EQ(SynchResultText(FixSynch(frames, "75", "275", 3, progress), sfMicroDVD),
              "Shifted by -25 frames; first anchor 1: 100 -> 75; last anchor 2: 300 -> 275");
}

TEST(FixSynch, CoarseToleranceShiftsANearlyRightSpanAndStretchesA25Against23976One) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:10,000", "00:00:12,000"}, {"01:00:00,000", "01:00:02,000"}}));
    // Span 3 590 000 ms stretched by 4.27 %: beyond "0.1%", so stretched.
    auto outcome = FixSynch(doc, "00:00:10,000", "01:02:33,293", 0, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Stretched);
    EXPECT_EQ(doc.start(0), 10000);
    EXPECT_EQ(doc.start(1), 3753293);
    // 1 s more on a span of 3 743 293 ms (0.027 %): within "0.1%", so only shifted by 2 s.
    outcome = FixSynch(doc, "00:00:12,000", "01:02:36,293", 0, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Shifted);
    EXPECT_THAT(Starts(doc), ElementsAre(12000, 3755293));
}

TEST(FixSynch, ReversedAnchorsWorkAsUsual) {
    auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:02,000"},
                                            {"00:00:05,000", "00:00:06,000"},
                                            {"00:00:09,000", "00:00:10,000"}}));
    doc.FirstAnchor = 2;
    doc.LastAnchor = 0;
    FixSynch(doc, "00:00:18,000", "00:00:02,000", 3, progress);
    EXPECT_THAT(Starts(doc), ElementsAre(2000, 10000, 18000));
    EXPECT_THAT(Ends(doc), ElementsAre(4000, 12000, 20000));
}

TEST(FixSynch, OverlapsStayOverlappingByTheScaledAmount) {
    auto doc = test::OpenLines({"{100}{200}a", "{150}{300}b", "{400}{500}c"});
    FixSynch(doc, "200", "800", 3, progress); // span 300 -> 600
    EXPECT_THAT(Starts(doc), ElementsAre(200, 300, 800));
    EXPECT_THAT(Ends(doc), ElementsAre(400, 600, 1000));
}

TEST(FixSynch, TheFrameRateLineIsNeverRetimed) {
    auto doc = test::OpenLines({"{1}{1}29.970030", "{2710}{2779}a", "{3450}{3567}b"});
    ASSERT_EQ(doc.SubtitleCount, 2);
    EXPECT_EQ(doc.start(doc.FirstAnchor), 2710);
    FixSynch(doc, "2760", "3500", 3, progress);
    EXPECT_THAT(doc.SubtitleLines,
                ElementsAre("{1}{1}29.970030", "{2760}{2829}a", "{3500}{3617}b"));
}

TEST(FixSynch, MicroDVDSubtitlesWithoutTextReadBackAsWritten) {
    auto doc = test::OpenLines({"{100}{200}", "{300}{400}", "{500}{600}"});
    FixSynch(doc, "1", "5", 3, progress);
    EXPECT_THAT(doc.SubtitleLines, ElementsAre("{1}{2}", "{3}{4}", "{5}{6}"));
    const auto reread = test::OpenLines(doc.SubtitleLines);
    ASSERT_EQ(reread.SubtitleCount, 3);
    EXPECT_THAT(Starts(reread), ElementsAre(1, 3, 5));
    EXPECT_THAT(Ends(reread), ElementsAre(2, 4, 6));
}

TEST(FixSynch, MicroDVDMayGoBelowZero) {
    auto doc = test::OpenLines({"{10}{20}a", "{100}{120}b", "{200}{220}c"});
    doc.FirstAnchor = 1;
    FixSynch(doc, "50", "250", 3, progress); // span 100 -> 200
    EXPECT_EQ(doc.start(0), -130);
    EXPECT_EQ(doc.SubtitleLines[0], "{-130}{-110}a");
}

TEST(FixSynch, NegativeClockTimeChangesNothing) {
    auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:02,000"},
                                            {"00:00:10,000", "00:00:11,000"},
                                            {"00:00:20,000", "00:00:21,000"}}));
    doc.FirstAnchor = 1;
    const auto lines = doc.SubtitleLines;
    const auto table = doc.TimingTable;
    EXPECT_THAT([&] { FixSynch(doc, "00:00:01,000", "00:00:31,000", 3, progress); },
                ThrowsMessage<TimeEncodeError>(StrEq(
                    "Invalid argument to time encode\n\rSubtitle 1 (line 2) would start before "
                    "00:00:00. A subtitle file's times run from 00:00:00 to 23:59:59: check the "
                    "true times typed for the anchors.")));
    EXPECT_EQ(doc.SubtitleLines, lines);
    EXPECT_EQ(doc.TimingTable, table);
}

TEST(FixSynch, TimeBeyondADayChangesNothing) {
    auto doc = test::OpenLines(
        SubRipLines({{"20:00:00,000", "20:00:01,000"}, {"23:00:00,000", "23:59:00,000"}}));
    const auto lines = doc.SubtitleLines;
    EXPECT_THAT([&] { FixSynch(doc, "20:00:00,000", "23:30:00,000", 3, progress); },
                ThrowsMessage<TimeEncodeError>(StrEq(
                    "Invalid argument to time encode\n\rSubtitle 2 (line 6) would end at "
                    "24:00:00 or later. A subtitle file's times run from 00:00:00 to 23:59:59: "
                    "check the true times typed for the anchors.")));
    EXPECT_EQ(doc.SubtitleLines, lines);
}

// Anchors and typed times that give no straight line, or one that runs the film backwards, are
// refused with the reason, and nothing changes; the same pairs through the piecewise re-timing.
struct AnchorPairCase {
    std::int32_t first, last; // 0-based subtitles: 1 s, 5 s, 5 s, 9 s
    const char *typedFirst, *typedLast;
    const char* message;   // "" when the re-timing goes ahead
    const char* piecewise; // the piecewise re-timing's message, when it differs
};

class AnchorPair : public testing::TestWithParam<AnchorPairCase> {};

constexpr const char* kEqual =
    "Floating point division by zero\n\rThe two true times are equal: anchors 1 and 4 both have "
    "00:00:02,000. Type each anchor's own true start, the later subtitle's later.";
constexpr const char* kBackwards = "The true times must increase from anchor 1 to anchor 4\n\r"
                                   "Anchor 1 is given 00:00:05,000, anchor 4 the earlier "
                                   "00:00:02,000.";

TEST_P(AnchorPair, IsRefusedWithItsReasonOrMapsForwards) {
    const AnchorPairCase c = GetParam();
    for (const bool piecewise : {false, true}) {
        auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:02,000"},
                                                {"00:00:05,000", "00:00:06,000"},
                                                {"00:00:05,000", "00:00:07,000"},
                                                {"00:00:09,000", "00:00:10,000"}}));
        const auto lines = doc.SubtitleLines;
        const auto table = doc.TimingTable;
        doc.FirstAnchor = c.first;
        doc.LastAnchor = c.last;
        const auto run = [&] {
            if (piecewise)
                FixSynchPiecewise(doc, {{c.first, c.typedFirst}, {c.last, c.typedLast}}, progress);
            else
                FixSynch(doc, c.typedFirst, c.typedLast, 3, progress);
        };
        const std::string expected = piecewise && c.piecewise ? c.piecewise : c.message;
        if (expected.empty()) {
            run();
            for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
                EXPECT_LE(doc.start(i), doc.end(i)) << i;
            EXPECT_LE(doc.start(0), doc.start(3));
            continue;
        }
        EXPECT_THAT(run, ThrowsMessage<VelkarError>(StrEq(expected))) << piecewise;
        EXPECT_EQ(doc.SubtitleLines, lines);
        EXPECT_EQ(doc.TimingTable, table);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnchorPair,
    testing::Values(
        AnchorPairCase{0, 3, "00:00:02,000", "00:00:02,000", kEqual, nullptr},
        AnchorPairCase{3, 0, "00:00:02,000", "00:00:02,000", kEqual, nullptr},
        AnchorPairCase{0, 3, "00:00:05,000", "00:00:02,000", kBackwards, nullptr},
        // The last anchor may lie before the first in the file: the order is the file's.
        AnchorPairCase{3, 0, "00:00:02,000", "00:00:05,000", kBackwards, nullptr},
        AnchorPairCase{3, 0, "00:00:05,000", "00:00:02,000", "", nullptr},
        AnchorPairCase{0, 3, "00:00:00,500", "00:00:20,000", "", nullptr},
        AnchorPairCase{0, 0, "00:00:03,000", "00:00:03,000",
                       "Invalid floating point operation\n\rThe first and the last anchor are the "
                       "same subtitle (1): pick two subtitles far apart. The two true times are "
                       "equal too.",
                       "Anchors 1 and 1 start at the same time"},
        AnchorPairCase{0, 0, "00:00:03,000", "00:00:09,000",
                       "Floating point division by zero\n\rThe first and the last anchor are the "
                       "same subtitle (1): pick two subtitles far apart.",
                       "Anchors 1 and 1 start at the same time"},
        AnchorPairCase{2, 1, "00:00:03,000", "00:00:09,000",
                       "Floating point division by zero\n\rAnchors 2 and 3 start at the same "
                       "time in the file: pick two subtitles that start at different times.",
                       "Anchors 2 and 3 start at the same time"}));

// Three anchors or more: each neighbouring pair in the file's order is checked, whatever order
// they were given in.
TEST(FixSynchPiecewise, RefusesTypedTimesThatRunBackwardsAnywhere) {
    auto doc = test::OpenLines({"{100}{110}a", "{200}{210}b", "{300}{310}c", "{400}{410}d"});
    const auto lines = doc.SubtitleLines;
    EXPECT_THAT(
        [&] {
            FixSynchPiecewise(doc, {{3, "500"}, {0, "100"}, {2, "250"}, {1, "260"}}, progress);
        },
        ThrowsMessage<VelkarError>(StrEq("The true times must increase from anchor 2 to anchor "
                                         "3\n\rAnchor 2 is given 260, anchor 3 the earlier 250.")));
    EXPECT_THAT(
        [&] {
            FixSynchPiecewise(doc, {{3, "500"}, {0, "100"}, {2, "260"}, {1, "260"}}, progress);
        },
        ThrowsMessage<VelkarError>(StrEq("Floating point division by zero\n\rThe two true times "
                                         "are equal: anchors 2 and 3 both have 260. Type each "
                                         "anchor's own true start, the later subtitle's later.")));
    EXPECT_EQ(doc.SubtitleLines, lines);
}

TEST(FixSynch, UnreadableTypedTimeChangesNothing) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:01,000", "00:00:02,000"}, {"00:00:05,000", "00:00:06,000"}}));
    EXPECT_THAT([&] { FixSynch(doc, "00:00:0 ,000", "00:00:09,000", 3, progress); },
                ThrowsMessage<ConversionError>(StrEq("'0 ' is not a valid integer value")));
    EXPECT_EQ(doc.start(0), 1000);
}

TEST(FixSynch, BlankMicroDVDFrameCountsAsZero) {
    auto doc = test::OpenLines({"{10}{20}a", "{30}{40}b"});
    EXPECT_THAT([&] { FixSynch(doc, "", "         ", 3, progress); },
                ThrowsMessage<VelkarError>(
                    StrEq("Floating point division by zero\n\rThe two true times are equal: "
                          "anchors 1 and 2 both have 0. Type each anchor's own true start, the "
                          "later subtitle's later.")));
    FixSynch(doc, "", "       40", 3, progress);
    EXPECT_THAT(Starts(doc), ElementsAre(0, 40));
}

TEST(FixSynch, RefusesATableLeftByAFailedParse) {
    SubtitleDocument doc;
    doc.SubtitleLines = {"{1500}{1500}One", "{0}{-500}Two", "{x}{3}Three"};
    NoProgress none;
    Recognise(doc, none);
    EXPECT_THROW(FinishOpen(doc, none), ConversionError);
    EXPECT_TRUE(doc.SubtitleLoaded); // loaded, so that it can be mended and saved
    ASSERT_EQ(doc.SubtitleCount, 3);
    const auto lines = doc.SubtitleLines;
    EXPECT_THAT([&] { FixSynch(doc, "1000", "2000", 3, progress); },
                ThrowsMessage<UnparsedDocumentError>(
                    StrEq("The timing of the Subtitle file could not be read ('x' is not a valid "
                          "integer value). Mend the file in the editor (Edit...) first.")));
    EXPECT_EQ(doc.SubtitleLines, lines);
    // Mended, it parses and re-times.
    doc.SubtitleLines.set(2, "{2500}{3000}Three");
    ParseSubtitles(doc, none);
    EXPECT_TRUE(doc.ParseFailure.empty());
    EXPECT_EQ(FixSynch(doc, "1000", "3000", 3, progress).kind, SynchKind::Stretched);
}

TEST(FixSynch, UnknownDamagedAndEmptyDocumentsAreLeftAlone) {
    SubtitleDocument unknown;
    unknown.SubtitleLines = {"x"};
    unknown.SubtitleFormat = sfDamaged;
    EXPECT_FALSE(FixSynch(unknown, "", "", 3, progress).rebuilt());
    auto none = test::OpenLines({"{1}{1}25", ""}); // a frame rate and no subtitle
    ASSERT_EQ(none.SubtitleCount, 0);
    EXPECT_FALSE(FixSynch(none, "00:00:01,000", "00:00:02,000", 3, progress).rebuilt());
}

TEST(FixSynch, FramesLandExactlyWithTheFinestTolerance) {
    // 40 -> 41 frames: every value within half a frame of the line, the last anchor on 41.
    auto doc = test::OpenLines({"{0}{10}a", "{13}{20}b", "{27}{33}c", "{40}{47}d"});
    auto outcome = FixSynch(doc, "0", "41", 5, progress);
    EXPECT_EQ(outcome.kind, SynchKind::Stretched);
    EXPECT_THAT(Starts(doc), ElementsAre(0, 13, 28, 41)); // 13.325, 27.675
    EXPECT_THAT(Ends(doc), ElementsAre(10, 20, 34, 48));  // 10.25, 20.5 (tie, even), 33.825
    EXPECT_EQ(FixSynch(doc, "0", "41", 5, progress).kind, SynchKind::InPlace);
}

TEST(FixSynch, RepeatedPressesChangeNothing) {
    auto doc = test::OpenLines({"1", "00:00:01,000 --> 00:00:03,000", "a", "", "7",
                                "00:00:04,000 --> 00:00:06,000", "b", "", "9",
                                "00:00:10,000 --> 00:00:12,000", "c", ""});
    const auto read = doc.SubtitleLines;
    // The anchors' own times: nothing is rewritten, not even the odd counters.
    auto outcome = FixSynch(doc, "00:00:01,000", "00:00:10,000", 3, progress);
    EXPECT_EQ(outcome.kind, SynchKind::InPlace);
    EXPECT_EQ(doc.SubtitleLines, read);
    EXPECT_EQ(SynchResultText(outcome, doc.SubtitleFormat),
              "Already in place; first anchor 1: 00:00:01,000 -> 00:00:01,000; last anchor 3: "
              "00:00:10,000 -> 00:00:10,000");
    FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress);
    const auto lines = doc.SubtitleLines;
    EXPECT_EQ(FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress).kind, SynchKind::InPlace);
    EXPECT_EQ(doc.SubtitleLines, lines);
}

TEST(FixSynch, SubViewerValuesAreRoundedOnceToWholeHundredths) {
    auto doc =
        test::OpenLines({"[SUBTITLE]", "[COLF]&HFFFFFF", "00:00:01.00,00:00:01.50", "a", "",
                         "00:00:02.37,00:00:02.52", "b", "", "00:00:04.00,00:00:04.10", "c"});
    // Slope 3010/3000 from 1000 ms: 2370 -> 2374.57 and 2520 -> 2525.07 go to the nearest
    // hundredth (2370, 2530), where rounding to milliseconds first would give 2380 and 2520.
    FixSynch(doc, "00:00:01.00", "00:00:04.01", 3, progress);
    EXPECT_THAT(Starts(doc), ElementsAre(1000, 2370, 4010));
    EXPECT_THAT(Ends(doc), ElementsAre(1500, 2530, 4110));
    EXPECT_EQ(doc.SubtitleLines[5], "00:00:02.37,00:00:02.53");
}

// Piece by piece: every value lies on the line of the stretch it falls in (the outer lines
// extended), checked against the exact fraction on random documents and anchors.
TEST(FixSynchPiecewise, EveryValueLandsOnItsStretchsLine) {
    std::mt19937 random(7);
    int landed = 0;
    for (int round = 0; round < 200; ++round) {
        const bool subViewer = round % 2 == 1;
        const std::int64_t unit = subViewer ? 10 : 1;
        Lines lines = subViewer ? Lines{"[SUBTITLE]", "style"} : Lines{};
        std::int32_t t = 1000;
        const int count = 2 + static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) {
            t += static_cast<std::int32_t>(random() % 5000) * static_cast<std::int32_t>(unit);
            const std::int32_t e = t + static_cast<std::int32_t>(1 + random() % 3000) *
                                           static_cast<std::int32_t>(unit);
            if (subViewer) {
                lines.push_back(TimeToText(sfSubViewer2, t) + "," + TimeToText(sfSubViewer2, e));
                lines.push_back("x");
                lines.push_back("");
            } else {
                lines.push_back("{" + std::to_string(t) + "}{" + std::to_string(e) + "}x");
            }
        }
        auto doc = test::OpenLines(lines);
        ASSERT_EQ(doc.SubtitleCount, count);
        // Distinct anchors, true times shifted and stretched at random but kept in the day.
        std::vector<TypedAnchor> anchors;
        std::vector<std::int64_t> xs, ys;
        for (int k = 0; k < count && anchors.size() < 4; ++k) {
            if (random() % 3 != 0 && !(k == count - 1 && anchors.size() < 2))
                continue;
            const std::int64_t x = doc.start(static_cast<std::size_t>(k));
            if (!xs.empty() && x == xs.back())
                continue;
            const std::int64_t y = (x * (950 + random() % 100) / 1000 + 5000) / unit * unit;
            if (!ys.empty() && y <= ys.back())
                continue; // true times run forwards
            anchors.push_back({k, TimeToText(doc.SubtitleFormat, static_cast<std::int32_t>(y))});
            xs.push_back(x);
            ys.push_back(y);
        }
        if (anchors.size() < 2)
            continue;
        const auto before = doc.TimingTable;
        try {
            FixSynchPiecewise(doc, anchors, progress);
        } catch (const TimeEncodeError&) {
            ASSERT_EQ(doc.TimingTable, before); // a steep outer line left the day: no change
            continue;
        }
        ++landed;
        for (int row = 0; row < 2; ++row) {
            for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
                const std::int64_t v = before[row][i];
                std::size_t k = 0;
                while (k + 2 < xs.size() && v >= xs[k + 1])
                    ++k;
                ASSERT_TRUE(test::OnTheLine(v, doc.TimingTable[row][i], xs[k], ys[k],
                                            ys[k + 1] - ys[k], xs[k + 1] - xs[k], unit));
            }
        }
    }
    EXPECT_GT(landed, 100);
}

// Each item is the percentage it shows: a span off by exactly that much is within it, one unit
// more is not. Spans of 10^9 units make every bound a whole number.
struct ToleranceCase {
    int index;
    std::int64_t within; // |D - S| at the bound, D = 10^9
};

class ToleranceItem : public testing::TestWithParam<ToleranceCase> {};

TEST_P(ToleranceItem, IsThePercentageItShows) {
    const auto [index, within] = GetParam();
    const std::int64_t typed = 1000000000;
    for (std::int64_t sign : {1, -1}) {
        EXPECT_TRUE(WithinTolerance(sign * typed, sign * (typed - within), index));
        EXPECT_TRUE(WithinTolerance(sign * typed, sign * (typed + within), index));
        EXPECT_FALSE(WithinTolerance(sign * typed, sign * (typed - within - 1), index));
        EXPECT_FALSE(WithinTolerance(sign * typed, sign * (typed + within + 1), index));
    }
}

INSTANTIATE_TEST_SUITE_P(Items, ToleranceItem,
                         testing::Values(ToleranceCase{0, 1000000}, ToleranceCase{1, 100000},
                                         ToleranceCase{2, 10000}, ToleranceCase{3, 1000},
                                         ToleranceCase{4, 100}, ToleranceCase{5, 10},
                                         ToleranceCase{-1, 1000}, ToleranceCase{6, 1000}));

TEST(ToleranceItem, ReversedOrZeroSpansAreNeverWithin) {
    EXPECT_FALSE(WithinTolerance(1000, -1000, 0));
    EXPECT_FALSE(WithinTolerance(1000, 0, 0));
    EXPECT_TRUE(WithinTolerance(-2147483648LL - 2147483647LL, -2147483648LL - 2147483647LL, 5));
}

} // namespace
} // namespace velkar
