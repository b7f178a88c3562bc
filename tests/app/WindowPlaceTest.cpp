#include "app/WindowPlace.h"

#include <gtest/gtest.h>
#include <random>

namespace velkar {
namespace {

const PlaceRect kScreen{0, 0, 1920, 1040}; // a 1080-line screen less a 40-pixel panel

struct PlaceCase {
    const char* what;
    PlaceRect main;
    int width, height;
    PlacePoint expected;
};

class ViewerPlacement : public testing::TestWithParam<PlaceCase> {};

TEST_P(ViewerPlacement, GoesUnderBesideOrOverTheMainWindow) {
    const PlaceCase& c = GetParam();
    const PlacePoint at = ViewerPlace(c.main, c.width, c.height, kScreen);
    EXPECT_EQ(at.x, c.expected.x) << c.what;
    EXPECT_EQ(at.y, c.expected.y) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewerPlacement,
    testing::Values(
        PlaceCase{"room below", {240, 100, 600, 500}, 600, 120, {240, 600}},
        PlaceCase{"exactly room below", {240, 100, 600, 820}, 600, 120, {240, 920}},
        PlaceCase{"a 1080p movie: to the right", {0, 0, 1300, 986}, 600, 120, {1300, 0}},
        PlaceCase{"to the right, the top kept on screen", {0, 950, 600, 90}, 600, 120, {600, 920}},
        PlaceCase{"no room right: to the left", {700, 100, 1200, 900}, 600, 120, {100, 100}},
        PlaceCase{"at 2.0x: over the lower part", {0, 0, 1920, 1040}, 1920, 120, {0, 920}},
        PlaceCase{"wider than room left and right", {300, 0, 1400, 1000}, 1400, 120, {300, 880}},
        PlaceCase{
            "a main window reaching off the left edge", {-50, 100, 600, 500}, 600, 120, {0, 600}}));

// Any main window on the screen: a viewer that fits the screen lands wholly on it, and beside
// or under the main window (never over it) whenever there is room for that.
TEST(ViewerPlace, StaysOnTheScreenAndOffTheMainWindowWhereThereIsRoom) {
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        PlaceRect main;
        main.width = std::uniform_int_distribution<int>(100, kScreen.width)(random);
        main.height = std::uniform_int_distribution<int>(100, kScreen.height)(random);
        main.left = std::uniform_int_distribution<int>(0, kScreen.width - main.width)(random);
        main.top = std::uniform_int_distribution<int>(0, kScreen.height - main.height)(random);
        const int width = std::uniform_int_distribution<int>(100, kScreen.width)(random);
        const int height = std::uniform_int_distribution<int>(50, 400)(random);
        const PlacePoint at = ViewerPlace(main, width, height, kScreen);
        ASSERT_GE(at.x, 0);
        ASSERT_GE(at.y, 0);
        ASSERT_LE(at.x + width, kScreen.width);
        ASSERT_LE(at.y + height, kScreen.height);
        const bool roomBelow = main.top + main.height + height <= kScreen.height;
        const bool roomBeside =
            main.left + main.width + width <= kScreen.width || main.left - width >= 0;
        const bool overlaps = at.x < main.left + main.width && main.left < at.x + width &&
                              at.y < main.top + main.height && main.top < at.y + height;
        if (roomBelow || roomBeside) {
            ASSERT_FALSE(overlaps) << n;
        }
    }
}

} // namespace
} // namespace velkar
