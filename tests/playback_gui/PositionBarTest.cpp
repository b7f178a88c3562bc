// The position bar's bitmaps and its composition off-screen and on the window.

#include "playback/PositionBar.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace velkar::playback {
namespace {

TEST(BarBitmap, DrawsBothResourcesAtTheirSizesAndNothingElse) {
    const QImage back = BarBitmap("ID_SCROLLBACK");
    EXPECT_EQ(back.size(), QSize(390, 20));
    EXPECT_EQ(back.format(), QImage::Format_RGB888);
    // a dark strip: no pixel brighter than mid grey
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); x += 13)
            ASSERT_LT(qGray(back.pixel(x, y)), 0x80) << x << "," << y;
    const QImage thumb = BarBitmap("ID_TRACKBAR");
    EXPECT_EQ(thumb.size(), QSize(16, 20));
    EXPECT_EQ(thumb.format(), QImage::Format_RGB888);
    EXPECT_EQ(thumb.pixel(0, 0), kBarTransparent); // a cut corner
    EXPECT_EQ(qGreen(thumb.pixel(0, 10)), 0xE0);   // the frame
    EXPECT_EQ(qRed(thumb.pixel(0, 10)), 0);
    EXPECT_EQ(thumb.pixel(4, 10), kBarTransparent); // inside the frame, beside the slot
    EXPECT_TRUE(BarBitmap("ID_OTHER").isNull());
}

class PositionBarTest : public testing::Test {
  protected:
    void SetUp() override {
        window.resize(592, 431);
        bar = new PositionBar(&window);
        bar->setUp(115, 342, 462);
    }
    QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

    QWidget window;
    PositionBar* bar = nullptr;
};

TEST_F(PositionBarTest, SetUpComposesTheThumbAtTheLeftButShowsNothingYet) {
    EXPECT_EQ(bar->BarImage.size(), QSize(462, 20));
    EXPECT_EQ(bar->thumbWidth(), 16);
    EXPECT_EQ(qGreen(bar->BarImage.pixel(0, 10)), 0xE0);
    // where the thumb is magenta the background shows through
    EXPECT_NE(at(bar->BarImage, 4, 10), kBarTransparent);
    EXPECT_EQ(at(bar->BarImage, 4, 10), at(bar->BarImage, 100, 10));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(bar->shown().isNull());
}

TEST_F(PositionBarTest, PaintBarShowsTheImageAtBarLeftAndBarTop) {
    bar->redrawBackground();
    bar->drawThumb(223);
    bar->PaintBar();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->geometry(), QRect(115, 342, 462, 20));
    EXPECT_EQ(qGreen(bar->shown().pixel(223, 10)), 0xE0);
    EXPECT_EQ(qGreen(bar->shown().pixel(238, 10)), 0xE0);
    EXPECT_NE(qGreen(bar->shown().pixel(0, 10)), 0xE0); // the old thumb is gone
    // later drawing does not reach the window before the next PaintBar
    bar->redrawBackground();
    EXPECT_EQ(qGreen(bar->shown().pixel(223, 10)), 0xE0);
    EXPECT_TRUE(bar->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST_F(PositionBarTest, AMoveGivesANewWidthAndABackgroundWithoutThumb) {
    bar->moveTo(115, 562, 640);
    EXPECT_EQ(bar->BarImage.size(), QSize(640, 20));
    EXPECT_EQ(at(bar->BarImage, 0, 10), at(bar->BarImage, 300, 10));
    bar->PaintBar();
    EXPECT_EQ(bar->geometry(), QRect(115, 562, 640, 20));
}

TEST_F(PositionBarTest, AThumbBeyondEitherEndIsClippedToTheBar) {
    bar->redrawBackground();
    bar->drawThumb(-4);
    EXPECT_EQ(qGreen(bar->BarImage.pixel(10, 10)), 0xE0); // its right frame at 10..11
    bar->redrawBackground();
    bar->drawThumb(892);
    EXPECT_EQ(at(bar->BarImage, 461, 10), at(bar->BarImage, 100, 10));
}

} // namespace
} // namespace velkar::playback
