// The picture: libmpv drawing through OpenGL into the panel. Runs under Xvfb (see
// CMakeLists.txt); Mesa's software OpenGL renders the frames.

#include "TestMedia.h"
#include "playback/MpvPlayer.h"

#include <QColor>
#include <QOpenGLWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace velkar::playback::test {
namespace {

// Mean luma of the middle of `image`.
int MiddleGrey(const QImage& image) {
    long sum = 0;
    int count = 0;
    for (int y = image.height() / 4; y < image.height() * 3 / 4; y += 4)
        for (int x = image.width() / 4; x < image.width() * 3 / 4; x += 4) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    return count ? static_cast<int>(sum / count) : -1;
}

class PictureTest : public testing::Test {
  protected:
    void SetUp() override {
        panel.resize(462, 260);
        panel.setStyleSheet(QStringLiteral("background: black"));
        panel.show();
        MpvPlayer::Options options;
        options.audioOutput = QStringLiteral("null");
        player = std::make_unique<MpvPlayer>(options);
        player->setVideoPanel(&panel);
    }
    QImage frame() {
        auto* video = qobject_cast<QOpenGLWidget*>(player->videoWidget());
        return video ? video->grabFramebuffer() : QImage();
    }

    QWidget panel;
    std::unique_ptr<MpvPlayer> player;
};

TEST_F(PictureTest, DrawsTheMovieAtTheDisplayRectangle) {
    player->open(Clip640());
    ASSERT_TRUE(player->hasPicture()) << "no OpenGL: run under Xvfb";
    player->setDisplayRect(QRect(0, 0, 320, 240));
    EXPECT_EQ(player->videoWidget()->geometry(), QRect(0, 0, 320, 240));
    EXPECT_TRUE(player->showsPicture());
    player->play();
    ASSERT_TRUE(WaitFor([&] { return player->position() > 500; }));
    const QImage image = frame();
    ASSERT_EQ(image.size(), QSize(320, 240));
    // the test pattern is colourful: far from a black or empty panel
    int coloured = 0;
    for (int x = 0; x < 320; x += 8)
        if (QColor(image.pixel(x, 60)).hsvSaturation() > 100)
            ++coloured;
    EXPECT_GT(coloured, 10);
}

TEST_F(PictureTest, ASeekToFrameKShowsFrameK) {
    player->open(Clip320());
    ASSERT_TRUE(player->hasPicture());
    player->setDisplayRect(QRect(71, 0, 320, 240));
    player->setUnit(PlayerUnit::Frames);
    // Frame k of this clip is grey of level 16 + (3k mod 220): neighbours differ by 3.
    for (int k : {200, 40, 41, 120, 0}) {
        player->seek(k);
        Pump(500);
        EXPECT_EQ(player->position(), k);
        EXPECT_NEAR(MiddleGrey(frame()), 16 + (3 * k) % 220, 1) << "frame " << k;
    }
}

TEST_F(PictureTest, AnAudioFileShowsNoPicture) {
    player->open(ToneMp3());
    player->setDisplayRect(QRect(231, 115, 0, 0));
    EXPECT_FALSE(player->showsPicture());
}

} // namespace
} // namespace velkar::playback::test
