// The position bar's maps between thumb and position, its step, the window layout for each
// zoom and the volume level mapping.

#include "playback/BarMath.h"
#include "playback/PlayerLayout.h"

#include <gtest/gtest.h>
#include <limits>

namespace velkar {
namespace {

// The design bar: left 115, width 462.
constexpr std::int32_t kL = 115;
constexpr std::int32_t kW = 462;

struct ThumbCase {
    std::int32_t position;
    std::int32_t length;
    std::int32_t thumb;
};

class ThumbLeftTest : public testing::TestWithParam<ThumbCase> {};

TEST_P(ThumbLeftTest, PlacesTheThumbByThePositionsShareOfTheLength) {
    const ThumbCase& c = GetParam();
    EXPECT_EQ(ThumbLeft(kW, kThumbWidth, c.position, c.length), c.thumb);
}

INSTANTIATE_TEST_SUITE_P(
    DesignBar, ThumbLeftTest,
    testing::Values(ThumbCase{50000, 100000, 223}, ThumbCase{0, 100000, 0},
                    ThumbCase{100000, 100000, 446},
                    // 446 x 1/4 = 111.5: the tie goes to the even 112; 446 x 3/4 = 334.5 to 334
                    ThumbCase{25, 100, 112}, ThumbCase{75, 100, 334},
                    // frames: 125 of 250
                    ThumbCase{125, 250, 223},
                    // a length of 0 has no share: the thumb stays at the left end
                    ThumbCase{5000, 0, 0}, ThumbCase{0, 0, 0}, ThumbCase{-3, -1, 0},
                    // beyond the length the thumb goes beyond the bar, not clamped
                    ThumbCase{200000, 100000, 892}, ThumbCase{-1000, 100000, -4},
                    ThumbCase{std::numeric_limits<std::int32_t>::max(), 1,
                              std::numeric_limits<std::int32_t>::max()}));

struct TargetCase {
    std::int32_t x;
    std::int32_t length;
    std::int32_t thumb;
    std::int32_t position;
};

class TargetAtTest : public testing::TestWithParam<TargetCase> {};

TEST_P(TargetAtTest, MapsTheMouseToAThumbAndAPosition) {
    const TargetCase& c = GetParam();
    const BarTarget t = TargetAt(c.x, kL, kW, kThumbWidth, c.length);
    EXPECT_EQ(t.thumbX, c.thumb) << "x " << c.x;
    EXPECT_EQ(t.position, c.position) << "x " << c.x;
}

INSTANTIATE_TEST_SUITE_P(DesignBar, TargetAtTest,
                         testing::Values(
                             // up to half a thumb from the left end: the start
                             TargetCase{123, 100000, 0, 0}, TargetCase{115, 100000, 0, 0},
                             TargetCase{-50, 100000, 0, 0},
                             // from half a thumb before the right end on: the whole length
                             TargetCase{569, 100000, 446, 100000},
                             TargetCase{2000, 100000, 446, 100000},
                             // in between: (X - L - 8) x len / 446, to nearest
                             TargetCase{346, 100000, 223, 50000}, TargetCase{124, 100000, 1, 224},
                             TargetCase{568, 100000, 445, 99776},
                             // frames: 250 frames over 446 pixels; 223 x 250 / 446 = 125
                             TargetCase{346, 250, 223, 125},
                             // a length of 0 asks for 0 everywhere
                             TargetCase{346, 0, 223, 0}));

TEST(TargetAt, ABarNoWiderThanTheThumbNeverDivides) {
    EXPECT_EQ(TargetAt(10, 0, 16, 16, 1000).position, 1000);
    EXPECT_EQ(TargetAt(8, 0, 16, 16, 1000).position, 0);
    EXPECT_EQ(TargetAt(9, 0, 0, 16, 1000).thumbX, -16);
}

TEST(TargetAt, IsTheInverseOfThumbLeftAtEveryPixel) {
    const std::int32_t length = 5400000; // a 90-minute film
    for (std::int32_t x = kL + 9; x < kL + kW - 8; ++x) {
        const BarTarget t = TargetAt(x, kL, kW, kThumbWidth, length);
        EXPECT_EQ(ThumbLeft(kW, kThumbWidth, t.position, length), t.thumbX) << "x " << x;
    }
}

TEST(BarStep, IsTwentyFiveFramesForMicroDvdAndASecondForEverythingElse) {
    EXPECT_EQ(BarStep(sfMicroDVD), 25);
    for (SubtitleFormat f : {sfUnknown, sfSubRip, sfSubViewer2, sfDamaged})
        EXPECT_EQ(BarStep(f), 1000) << int(f);
}

// FitVideo against the plain rule: the largest size of the movie's shape inside the room.
TEST(FitVideo, KeepsTheShapeAndFillsTheRoomOnOneSide) {
    const struct {
        std::int32_t w, h, maxW, maxH;
        VideoSize expected;
    } cases[] = {
        {640, 480, 1160, 800, {640, 480}},    // fits: unchanged
        {1920, 1080, 1160, 800, {1160, 652}}, // width-bound
        {3840, 2160, 1160, 800, {1160, 652}},
        {1080, 1920, 1160, 800, {450, 800}}, // height-bound
        {0, 0, 100, 100, {0, 0}},
        {100, 100, -5, 50, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitVideo(c.w, c.h, c.maxW, c.maxH), c.expected) << c.w << "x" << c.h;
    for (std::int32_t w = 1; w < 4000; w += 97)
        for (std::int32_t h = 1; h < 3000; h += 89) {
            const VideoSize f = FitVideo(w, h, 1160, 800);
            ASSERT_LE(f.width, 1160);
            ASSERT_LE(f.height, 800);
            ASSERT_TRUE(f.width == std::min(w, 1160) || f.height == std::min(h, 800));
            // the shape is kept to within the pixel cut off
            ASSERT_NEAR(double(f.width) * h, double(f.height) * w, double(std::max(w, h)));
        }
}

TEST(ZoomLayout, A640x480MovieAtOneToOneTakesTheLargeLayout) {
    const ZoomLayout z = LayOutForZoom({0, 0, 640, 480}, 1, 50, kBarHeight);
    EXPECT_TRUE(z.large);
    EXPECT_EQ(z.panel, (Box{115, 32, 640, 480}));
    EXPECT_EQ(z.display, (Box{0, 0, 640, 480}));
    EXPECT_EQ(z.label, (Box{115, 512, 640, 50}));
    EXPECT_EQ(z.bar, (Box{115, 562, 640, 20}));
    EXPECT_EQ(z.outerWidth, 760);
    EXPECT_EQ(z.outerHeight, 617);
}

TEST(ZoomLayout, A320x240MovieAtOneToOneIsCentredInTheDesignPanel) {
    const ZoomLayout z = LayOutForZoom({0, 0, 320, 240}, 1, 50, kBarHeight);
    EXPECT_FALSE(z.large);
    EXPECT_EQ(z.display, (Box{71, 0, 320, 240})); // 230 - 240 is negative: top 0
    EXPECT_EQ(z.panel, (Box{115, 32, 462, 230}));
    EXPECT_EQ(z.label, (Box{115, 262, 462, 50}));
    EXPECT_EQ(z.bar, (Box{115, 312, 462, 20}));
    EXPECT_EQ(z.outerWidth, 600);  // 440 is below the minimum
    EXPECT_EQ(z.outerHeight, 433); // 357 is below the minimum
}

TEST(ZoomLayout, AnAudioFileGivesAnEmptyVideoInTheSmallLayout) {
    const ZoomLayout z = LayOutForZoom({0, 0, 0, 0}, 1, 50, kBarHeight);
    EXPECT_FALSE(z.large);
    EXPECT_EQ(z.display, (Box{231, 115, 0, 0}));
    EXPECT_EQ(z.outerWidth, 600);
    EXPECT_EQ(z.outerHeight, 433);
}

struct ZoomCase {
    NaturalRect natural;
    int item;
    std::int32_t w, h;
    bool large;
};

class ZoomItems : public testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomItems, ScaleWidthFromLeftAndRightButHeightFromBottomAlone) {
    const ZoomCase& c = GetParam();
    const ZoomLayout z = LayOutForZoom(c.natural, c.item, 50, kBarHeight);
    EXPECT_EQ(z.videoWidth, c.w);
    EXPECT_EQ(z.videoHeight, c.h);
    EXPECT_EQ(z.large, c.large);
    EXPECT_EQ(z.outerWidth, std::max(c.w + 120, 600));
}

INSTANTIATE_TEST_SUITE_P(
    Items, ZoomItems,
    testing::Values(ZoomCase{{0, 0, 640, 480}, 0, 320, 240, false},
                    ZoomCase{{0, 0, 640, 480}, 2, 960, 720, true},
                    ZoomCase{{0, 0, 640, 480}, 3, 1280, 960, true},
                    // halves cut toward zero
                    ZoomCase{{0, 0, 321, 241}, 0, 160, 120, false},
                    ZoomCase{{0, 0, 321, 241}, 2, 481, 361, true},
                    // the top is not subtracted from the height
                    ZoomCase{{10, 5, 330, 245}, 1, 320, 245, false},
                    // the thresholds: W 470 and H 238 make it large, one less does not
                    ZoomCase{{0, 0, 470, 238}, 1, 470, 238, true},
                    ZoomCase{{0, 0, 469, 238}, 1, 469, 238, false},
                    ZoomCase{{0, 0, 470, 237}, 1, 470, 237, false},
                    // an item outside the list counts as 1.0x
                    ZoomCase{{0, 0, 640, 480}, -1, 640, 480, true}));

TEST(ZoomLayout, TheLargeLayoutPlacesTheVideoAtTheNaturalCorner) {
    const ZoomLayout z = LayOutForZoom({4, 2, 644, 482}, 1, 50, kBarHeight);
    EXPECT_EQ(z.display, (Box{4, 2, 640, 482}));
}

struct VolumeCase {
    int position;
    std::uint16_t level;
};

class VolumeLevels : public testing::TestWithParam<VolumeCase> {};

TEST_P(VolumeLevels, MapTheBarToTheSixteenBitLevel) {
    EXPECT_EQ(VolumeLevel(GetParam().position), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Bar, VolumeLevels,
                         testing::Values(VolumeCase{0, 0}, VolumeCase{25, 16384},
                                         VolumeCase{100, 65535},
                                         // the five products that lie on or about a half
                                         VolumeCase{10, 6554}, VolumeCase{30, 19660},
                                         VolumeCase{50, 32767}, VolumeCase{70, 45874},
                                         VolumeCase{90, 58981}));

TEST(VolumePosition, ReadsTheBarBackFromTheRightChannel) {
    EXPECT_EQ(VolumePosition(32768), 50);
    EXPECT_EQ(VolumePosition(32767), 50);
    EXPECT_EQ(VolumePosition(327), 0);
    EXPECT_EQ(VolumePosition(65535), 100);
    EXPECT_EQ(VolumePosition(0), 0);
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(VolumePosition(VolumeLevel(p)), p) << p;
}

TEST(PlayerVolume, IsTheLevelsShareAndReadsBackAsTheSamePosition) {
    EXPECT_DOUBLE_EQ(PlayerVolume(100), 100.0);
    EXPECT_DOUBLE_EQ(PlayerVolume(0), 0.0);
    EXPECT_DOUBLE_EQ(PlayerVolume(50), 32767 * 100.0 / 65535);
    for (int p = 0; p <= 100; ++p)
        EXPECT_EQ(VolumePositionOfPlayer(PlayerVolume(p)), p) << p;
    // A player's own volume outside the bar's range reads as its end.
    EXPECT_EQ(VolumePositionOfPlayer(130.0), 100);
    EXPECT_EQ(VolumePositionOfPlayer(-5.0), 0);
    EXPECT_EQ(VolumePositionOfPlayer(0.1), 0);
}

TEST(StereoLevel, PutsTheLevelInBothHalves) {
    EXPECT_EQ(StereoLevel(32767), 0x7FFF7FFFu);
    EXPECT_EQ(StereoLevel(65535), 0xFFFFFFFFu);
    EXPECT_EQ(StereoLevel(0), 0u);
}

} // namespace
} // namespace velkar
