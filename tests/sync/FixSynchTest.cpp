#include "TestSupport.h"

#include "document/Errors.h"
#include "sync/FixSynch.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(FixSynch, WorkedExampleTakesTwoPasses) {
    auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:03,000"},
                                            {"00:00:04,000", "00:00:06,000"},
                                            {"00:00:10,000", "00:00:12,000"}}));
    auto outcome = FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress);
    EXPECT_EQ(outcome.passes, 2);
    EXPECT_THAT(Starts(doc), ElementsAre(2000, 8000, 20000));
    EXPECT_THAT(Ends(doc), ElementsAre(6000, 12000, 24000));
    EXPECT_THAT(doc.SubtitleLines, ElementsAre("1", "00:00:02,000 --> 00:00:06,000", "text 1", "",
                                               "2", "00:00:08,000 --> 00:00:12,000", "text 2", "",
                                               "3", "00:00:20,000 --> 00:00:24,000", "text 3", ""));
}

TEST(FixSynch, RoundingTiesGoToEven) {
    EXPECT_EQ(RoundHalfEven(7.5L), 8);
    EXPECT_EQ(RoundHalfEven(4.5L), 4);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(-3.5L), -4);
    EXPECT_EQ(RoundHalfEven(2.4999L), 2);
    // Exactly as nearbyint, sign of zero included, near and beyond the largest values
    // rounded without it.
    for (long double base : {0.0L, 1.0L, 65535.0L, 2147483647.0L, 0x1p61L, 0x1p62L, 0x1p63L}) {
        for (long double offset : {-1.5L, -0.5L, -0.49999L, -0.25L, 0.0L, 0.25L, 0.5L, 1.5L}) {
            for (long double x : {base + offset, -(base + offset)}) {
                const long double rounded = RoundHalfEven(x);
                EXPECT_EQ(rounded, std::nearbyint(x)) << static_cast<double>(x);
                EXPECT_EQ(std::signbit(rounded), std::signbit(std::nearbyint(x)));
            }
        }
    }
    // With a ratio of 1.5 a duration of 5 becomes 8 and one of 3 becomes 4.
    auto doc = test::OpenLines({"{0}{5}a", "{5}{8}b", "{8}{10}c"});
    FixSynch(doc, "0", "12", 0, progress); // span 8 -> 12
    EXPECT_EQ(doc.end(0) - doc.start(0), 8);
    EXPECT_EQ(doc.end(1) - doc.start(1), 4);
}

TEST(FixSynch, ShiftOnlyChangesNothing) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:01,000", "00:00:03,000"}, {"00:00:04,000", "00:00:06,000"}}));
    const auto before = doc.SubtitleLines;
    auto outcome = FixSynch(doc, "00:00:05,000", "00:00:08,000", 3, progress);
    EXPECT_EQ(outcome.passes, 0);
    EXPECT_EQ(doc.SubtitleLines, before);
    EXPECT_THAT(Starts(doc), ElementsAre(1000, 4000));
}

TEST(FixSynch, CoarseToleranceLeaves25Against23976Alone) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:10,000", "00:00:12,000"}, {"01:00:00,000", "01:00:02,000"}}));
    // Span 3 590 000 ms stretched by 4.27 %.
    EXPECT_EQ(FixSynch(doc, "00:00:10,000", "01:02:33,293", 0, progress).passes, 0);
    EXPECT_EQ(doc.start(1), 3600000);
    EXPECT_GT(FixSynch(doc, "00:00:10,000", "01:02:33,293", 3, progress).passes, 0);
    EXPECT_EQ(doc.start(0), 10000);
    EXPECT_EQ(doc.start(1), 3753293);
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
                ThrowsMessage<TimeEncodeError>(StrEq("Invalid argument to time encode")));
    EXPECT_EQ(doc.SubtitleLines, lines);
    EXPECT_EQ(doc.TimingTable, table);
}

TEST(FixSynch, TimeBeyondADayChangesNothing) {
    auto doc = test::OpenLines(
        SubRipLines({{"20:00:00,000", "20:00:01,000"}, {"23:00:00,000", "23:59:00,000"}}));
    const auto lines = doc.SubtitleLines;
    EXPECT_THROW(FixSynch(doc, "20:00:00,000", "23:30:00,000", 3, progress), TimeEncodeError);
    EXPECT_EQ(doc.SubtitleLines, lines);
}

TEST(FixSynch, DivisionByZeroMessages) {
    auto doc = test::OpenLines(
        SubRipLines({{"00:00:01,000", "00:00:02,000"}, {"00:00:05,000", "00:00:06,000"}}));
    const auto lines = doc.SubtitleLines;
    EXPECT_THAT([&] { FixSynch(doc, "00:00:03,000", "00:00:03,000", 3, progress); },
                ThrowsMessage<VelkarError>(StrEq("Floating point division by zero")));
    doc.LastAnchor = 0; // current span 0 as well
    EXPECT_THAT([&] { FixSynch(doc, "00:00:03,000", "00:00:03,000", 3, progress); },
                ThrowsMessage<VelkarError>(StrEq("Invalid floating point operation")));
    EXPECT_THAT([&] { FixSynch(doc, "00:00:03,000", "00:00:09,000", 3, progress); },
                ThrowsMessage<VelkarError>(StrEq("Floating point division by zero")));
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
                ThrowsMessage<VelkarError>(StrEq("Floating point division by zero")));
    FixSynch(doc, "", "       40", 3, progress);
    EXPECT_THAT(Starts(doc), ElementsAre(0, 40));
}

TEST(FixSynch, UnknownDamagedAndEmptyDocumentsAreLeftAlone) {
    SubtitleDocument unknown;
    unknown.SubtitleLines = {"x"};
    unknown.SubtitleFormat = sfDamaged;
    EXPECT_FALSE(FixSynch(unknown, "", "", 3, progress).rebuilt);
    auto none = test::OpenLines({"a", "b", "c"}); // SubRip without counters
    ASSERT_EQ(none.SubtitleCount, 0);
    EXPECT_FALSE(FixSynch(none, "00:00:01,000", "00:00:02,000", 3, progress).rebuilt);
}

TEST(FixSynch, LoopEndsWhenAPassChangesNothing) {
    // Frames with the finest tolerance: after the first passes no value moves by half a frame.
    auto doc = test::OpenLines({"{0}{10}a", "{13}{20}b", "{27}{33}c", "{40}{47}d"});
    auto outcome = FixSynch(doc, "0", "41", 5, progress);
    EXPECT_LT(outcome.passes, kMaxSynchPasses);
    EXPECT_EQ(doc.start(0), 0);
    auto again = FixSynch(doc, "0", "41", 5, progress);
    EXPECT_LE(again.passes, 1);
}

TEST(FixSynch, RepeatedPressesAreIdempotent) {
    auto doc = test::OpenLines(SubRipLines({{"00:00:01,000", "00:00:03,000"},
                                            {"00:00:04,000", "00:00:06,000"},
                                            {"00:00:10,000", "00:00:12,000"}}));
    FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress);
    const auto lines = doc.SubtitleLines;
    EXPECT_EQ(FixSynch(doc, "00:00:02,000", "00:00:20,000", 3, progress).passes, 0);
    EXPECT_EQ(doc.SubtitleLines, lines);
}

TEST(FixSynch, OppositeOrderOfTypedTimesTurnsDurationsRound) {
    auto doc = test::OpenLines({"{100}{110}a", "{200}{210}b"});
    FixSynch(doc, "200", "100", 3, progress);
    EXPECT_THAT(Starts(doc), ElementsAre(200, 100));
    EXPECT_THAT(Ends(doc), ElementsAre(190, 90));
}

TEST(Tolerance, ItemsAndTheUnselectedList) {
    EXPECT_EQ(Tolerance(0), 0.1L);
    EXPECT_EQ(Tolerance(5), 0.000001L);
    EXPECT_EQ(Tolerance(-1), 0.0001L);
    EXPECT_EQ(Tolerance(7), 0.0001L);
}

} // namespace
} // namespace velkar
