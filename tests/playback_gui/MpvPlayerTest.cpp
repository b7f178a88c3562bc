// The built-in player on real files, played by libmpv without picture or sound.

#include "playback/MpvPlayer.h"
#include "TestMedia.h"

#include <QFileInfo>
#include <QWidget>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

namespace velkar::playback::test {
namespace {

using testing::HasSubstr;

class MpvPlayerTest : public testing::Test {
  protected:
    void SetUp() override {
        MpvPlayer::Options options;
        options.picture = false;
        options.audioOutput = QStringLiteral("null");
        player = std::make_unique<MpvPlayer>(options);
    }

    void open(const QString& path) {
        ASSERT_FALSE(path.isEmpty());
        player->open(path);
    }
    // Seeks and waits until the player reports where it landed.
    void seekAndSettle(std::int32_t target) {
        player->seek(target);
        Pump(400);
    }

    std::unique_ptr<MpvPlayer> player;
};

TEST_F(MpvPlayerTest, ReportsLengthInMillisecondsAndInFramesOfTheMoviesRate) {
    open(Clip320());
    EXPECT_TRUE(player->isOpen());
    EXPECT_EQ(player->fileName(), Clip320());
    EXPECT_DOUBLE_EQ(player->frameRate(), 25.0);
    EXPECT_EQ(player->length(), 10000);
    player->setUnit(PlayerUnit::Frames);
    EXPECT_EQ(player->length(), 250);
    EXPECT_EQ(player->naturalRect(), QRect(0, 0, 320, 240));
}

TEST_F(MpvPlayerTest, OpensStoppedAtTheStart) {
    open(Clip320());
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
    EXPECT_EQ(player->position(), 0);
    Pump(300);
    EXPECT_EQ(player->position(), 0); // not playing by itself
}

TEST_F(MpvPlayerTest, SeeksInMillisecondsAndReadsThePositionBack) {
    open(Clip320());
    player->seek(5000);
    EXPECT_EQ(player->position(), 5000); // the target at once
    Pump(400);
    EXPECT_EQ(player->position(), 5000); // and where the player landed
    seekAndSettle(7240);
    EXPECT_EQ(player->position(), 7240);
    seekAndSettle(0);
    EXPECT_EQ(player->position(), 0);
    // Before the start is the start (not, as mpv reads a negative time, the end).
    seekAndSettle(-1000);
    EXPECT_EQ(player->position(), 0);
    // Between two pictures the player lands on the next one: 1010 ms shows frame 26.
    seekAndSettle(1010);
    EXPECT_EQ(player->position(), 1040);
}

TEST_F(MpvPlayerTest, SeeksToFrameKAndShowsFrameK) {
    open(Clip320());
    player->setUnit(PlayerUnit::Frames);
    for (std::int32_t frame : {137, 1, 248, 60, 0}) {
        seekAndSettle(frame);
        EXPECT_EQ(player->position(), frame) << "frame " << frame;
    }
    // The same position in the other unit.
    seekAndSettle(100);
    player->setUnit(PlayerUnit::Milliseconds);
    EXPECT_EQ(player->position(), 4000);
}

TEST_F(MpvPlayerTest, PlaysPausesAndStopsWithThePlayersButtons) {
    open(Clip320());
    player->play();
    EXPECT_EQ(player->mode(), PlayerMode::Playing);
    ASSERT_TRUE(WaitFor([&] { return player->position() >= 300; }));
    player->pause();
    EXPECT_EQ(player->mode(), PlayerMode::Paused);
    Pump(150);
    const std::int32_t held = player->position();
    Pump(300);
    EXPECT_EQ(player->position(), held);
    player->pause(); // a second press plays on
    EXPECT_EQ(player->mode(), PlayerMode::Playing);
    ASSERT_TRUE(WaitFor([&] { return player->position() > held + 100; }));
    player->stop();
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
    player->pause(); // pause does nothing while stopped
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
    player->previous();
    Pump(300);
    EXPECT_EQ(player->position(), 0);
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
}

TEST_F(MpvPlayerTest, NextGoesToTheEndAndPlayStartsAgainFromTheTop) {
    open(Clip640());
    bool ended = false;
    QObject::connect(player.get(), &MpvPlayer::endReached, [&] { ended = true; });
    player->next();
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
    ASSERT_TRUE(WaitFor([&] { return player->position() >= 4900; }));
    player->play();
    ASSERT_TRUE(WaitFor([&] { return player->position() < 1000; }));
    player->seek(4800);
    ASSERT_TRUE(WaitFor([&] { return ended; }));
    EXPECT_EQ(player->mode(), PlayerMode::Stopped);
    EXPECT_TRUE(player->isOpen());
}

TEST_F(MpvPlayerTest, AnAudioFileHasNoPictureAndCountsTwentyFiveFramesASecond) {
    open(ToneMp3());
    EXPECT_TRUE(player->naturalRect().isEmpty());
    EXPECT_NEAR(player->length(), 5000, 60);
    player->setUnit(PlayerUnit::Frames);
    EXPECT_NEAR(player->length(), 125, 2);
    seekAndSettle(50);
    EXPECT_EQ(player->position(), 50);
}

TEST_F(MpvPlayerTest, AnAudioFileWithACoverPictureOpensAndPlaysLikeAnyOther) {
    open(ToneWithCoverMp3());
    EXPECT_NEAR(player->length(), 5000, 60);
    seekAndSettle(2000);
    EXPECT_NEAR(player->position(), 2000, 40);
    player->play();
    EXPECT_TRUE(WaitFor([&] { return player->position() > 2100; }));
}

TEST_F(MpvPlayerTest, ANewFileReplacesTheOpenOne) {
    open(Clip320());
    seekAndSettle(3000);
    open(Clip640());
    EXPECT_EQ(player->fileName(), Clip640());
    EXPECT_EQ(player->naturalRect(), QRect(0, 0, 640, 480));
    EXPECT_EQ(player->length(), 5000);
    EXPECT_EQ(player->position(), 0);
}

TEST_F(MpvPlayerTest, AFileThatCannotBeOpenedFailsWithMpvsReasonAndLeavesNoFileOpen) {
    open(Clip320());
    const QString text = NotMedia();
    EXPECT_THAT([&] { player->open(text); },
                testing::ThrowsMessage<PlayerError>("Cannot open media file " + text.toStdString() +
                                                    ": unrecognized file format"));
    EXPECT_FALSE(player->isOpen());
    EXPECT_EQ(player->mode(), PlayerMode::NotOpen);
    EXPECT_EQ(player->position(), 0);
    EXPECT_EQ(player->length(), 0);
    const QString missing = QFileInfo(text).absolutePath() + QStringLiteral("/missing.avi");
    EXPECT_THAT([&] { player->open(missing); },
                testing::ThrowsMessage<PlayerError>(
                    HasSubstr("Cannot open media file " + missing.toStdString() + ": ")));
    // The player still works afterwards.
    open(Clip640());
    EXPECT_EQ(player->length(), 5000);
}

TEST_F(MpvPlayerTest, WithoutAnOpenFileEverythingIsZeroAndTheButtonsDoNothing) {
    EXPECT_EQ(player->mode(), PlayerMode::NotOpen);
    player->play();
    player->seek(4000);
    player->next();
    EXPECT_EQ(player->mode(), PlayerMode::NotOpen);
    EXPECT_EQ(player->position(), 0);
    EXPECT_EQ(player->length(), 0);
    EXPECT_FALSE(player->volume().has_value());
}

TEST_F(MpvPlayerTest, TheNullAudioOutputHasNoLevelToRead) {
    open(Clip320());
    player->setVolume(40);
    EXPECT_FALSE(player->volume().has_value());
}

TEST_F(MpvPlayerTest, PlaysBlindWhenThePlatformHasNoOpenGL) {
    // The offscreen platform gives no OpenGL context: the panel stays empty and the player
    // counts on.
    MpvPlayer::Options options;
    options.audioOutput = QStringLiteral("null");
    MpvPlayer withPanel(options);
    QWidget panel;
    withPanel.setVideoPanel(&panel);
    withPanel.open(Clip320());
    withPanel.setDisplayRect(QRect(71, 0, 320, 240));
    if (withPanel.hasPicture())
        GTEST_SKIP() << "this platform draws pictures";
    EXPECT_EQ(withPanel.videoWidget(), nullptr);
    withPanel.setUnit(PlayerUnit::Frames);
    withPanel.seek(30);
    Pump(300);
    EXPECT_EQ(withPanel.position(), 30);
}

} // namespace
} // namespace velkar::playback::test
