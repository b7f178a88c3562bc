// The main window with the built-in player: "Open Media", zoom, volume, the player's buttons,
// the position bar's timer and mouse handling, the overlay label, "Set Time..." and the
// viewer following playback. Real movies made by ffmpeg, played by libmpv without picture or
// sound; file dialogs and message boxes answer from a script.

#include "TestMedia.h"
#include "WindowFixture.h"
#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "playback/PositionBar.h"
#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>

namespace velkar::playback::test {
namespace {

using gui::PlaybackCommands;
using gui::TForm1;

// Four subtitles: 0-500, 1000-1500, 2000-2500 and 3000-3500 ms; the second has two lines.
const char kSubRip[] = "1\r\n00:00:00,000 --> 00:00:00,500\r\nZero\r\n\r\n"
                       "2\r\n00:00:01,000 --> 00:00:01,500\r\nOne[br]more\r\n\r\n"
                       "3\r\n00:00:02,000 --> 00:00:02,500\r\nTwo\r\n\r\n"
                       "4\r\n00:00:03,000 --> 00:00:03,500\r\nThree\r\n";
// The same in frames of 25 per second, with a "|" break.
const char kMicroDvd[] = "{0}{12}Zero\r\n{25}{37}One|more\r\n{50}{62}Two\r\n{75}{87}Three\r\n";

class PlaybackWindow : public BuiltInWindowFixture {
  protected:
    MpvPlayer& mpv() const { return *playback().Mplayer(); }

    // Seeks the player, lets it land and runs one overlay tick.
    void playerAt(std::int32_t position) {
        mpv().seek(position);
        Pump(300);
        playback().tmrSubTimer();
    }
    QString label() const { return form().lblSubs->text(); }
    QPoint onBar(int x, int below = 5) const { return QPoint(x, bar().BarTop + below); }
};

TEST_F(PlaybackWindow, OpenMediaAsksForAMovieAndPutsItsNameInTheCaption) {
    openMovie(Clip320());
    ASSERT_EQ(script.requests.size(), 1u);
    EXPECT_EQ(script.requests[0].title, "Open Video File");
    EXPECT_EQ(script.requests[0].fileName, "");
    EXPECT_THAT(script.requests[0].filter.toStdString(),
                testing::StartsWith("Media Files (*.mp3 *.wav *.mpg *.mpeg *.avi *.mov *.divx "
                                    "*.asf *.dat)"));
    EXPECT_TRUE(playback().mediaLoaded());
    // Opened stopped: the overlay ticks at the idle pace until the movie plays.
    EXPECT_EQ(form().tmrSub->interval(), PlaybackCommands::kIdleTickMs);
    EXPECT_EQ(form().windowTitle(), "Velkar - clip320.avi");
    EXPECT_EQ(form().pgrBar->value(), 0);
    EXPECT_TRUE(form().cboZoom->isEnabled());
    EXPECT_EQ(form().cboZoom->currentIndex(), 1);
    EXPECT_EQ(playback().naturalRect().Right, 320);
    EXPECT_EQ(playback().naturalRect().Bottom, 240);
    EXPECT_EQ(form().player().length(), 10000);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(PlaybackWindow, CancellingTheDialogChangesNothing) {
    openMovie(Clip320());
    script.files.push_back(QString());
    playback().cmdOpenMovieClick();
    EXPECT_TRUE(playback().mediaLoaded());
    EXPECT_EQ(form().windowTitle(), "Velkar - clip320.avi");
}

TEST_F(PlaybackWindow, AMovieThatCannotBeOpenedShowsTheReasonAndLeavesNoMediaLoaded) {
    openMovie(Clip320());
    const QString text = NotMedia();
    script.files.push_back(text);
    // The buttons' click runs inside the general error handler, as the user's click does.
    QTest::mouseClick(form().cmdOpenMovie, Qt::LeftButton);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], "Cannot open media file " + text + ": unrecognized file format");
    EXPECT_FALSE(playback().mediaLoaded());
    EXPECT_EQ(form().player().position(), 0);
}

TEST_F(PlaybackWindow, A320x240MovieAtOneToOneIsCentredInTheDesignPanel) {
    openMovie(Clip320());
    EXPECT_EQ(form().MoviePanel->geometry(), QRect(115, 32, 462, 230));
    EXPECT_EQ(form().lblSubs->geometry(), QRect(115, 262, 462, 50));
    EXPECT_EQ(QRect(bar().BarLeft, bar().BarTop, bar().BarWidth, bar().BarHeight),
              QRect(115, 312, 462, 20));
    EXPECT_EQ(bar().geometry(), QRect(115, 312, 462, 20));
    EXPECT_EQ(form().frameGeometry().size(), QSize(600, 435)); // with the result row
}

TEST_F(PlaybackWindow, A640x480MovieAtOneToOneTakesTheLargeLayout) {
    openMovie(Clip640());
    EXPECT_EQ(form().MoviePanel->geometry(), QRect(115, 32, 640, 480));
    EXPECT_EQ(form().lblSubs->geometry(), QRect(115, 512, 640, 50));
    EXPECT_EQ(bar().BarTop, 562);
    EXPECT_EQ(bar().BarWidth, 640);
    EXPECT_EQ(bar().BarImage.width(), 640);
    EXPECT_EQ(form().frameGeometry().width(), 760);
    EXPECT_GE(form().frameGeometry().height(), 617);
    // the repair row under the bar, inside the window, off the picture
    for (QWidget* row :
         {static_cast<QWidget*>(form().chkRepair), static_cast<QWidget*>(form().cboDialogs)}) {
        EXPECT_GE(row->y(), 582) << row->objectName().toStdString();
        EXPECT_LE(row->geometry().bottom(), form().height());
    }
    // back to half size: the small layout again
    form().cboZoom->setCurrentIndex(0);
    playback().cboZoomClick();
    EXPECT_EQ(form().MoviePanel->geometry(), QRect(115, 32, 462, 230));
    EXPECT_EQ(bar().BarTop, 312);
    EXPECT_EQ(form().frameGeometry().size(), QSize(600, 435)); // with the result row
}

TEST_F(PlaybackWindow, AnMp3HasNoPictureAndKeepsTheSmallestWindow) {
    openMovie(ToneMp3());
    EXPECT_EQ(playback().naturalRect().Right, 0);
    EXPECT_EQ(playback().naturalRect().Bottom, 0);
    EXPECT_EQ(form().windowTitle(), "Velkar - tone.mp3");
    EXPECT_EQ(form().MoviePanel->geometry(), QRect(115, 32, 462, 230));
    EXPECT_EQ(form().frameGeometry().size(), QSize(600, 435)); // with the result row
    EXPECT_TRUE(playback().mediaLoaded());
}

TEST_F(PlaybackWindow, TheUnitFollowsTheDocumentWhenEitherIsOpened) {
    openSubtitles(kMicroDvd, "subs.sub");
    openMovie(Clip320());
    EXPECT_EQ(form().player().unit(), PlayerUnit::Frames);
    EXPECT_EQ(form().player().length(), 250);
    openSubtitles(kSubRip, "subs.srt");
    EXPECT_EQ(form().player().unit(), PlayerUnit::Milliseconds);
    EXPECT_EQ(form().player().length(), 10000);
    openMovie(Clip640());
    EXPECT_EQ(form().player().length(), 5000);
}

TEST_F(PlaybackWindow, TheLabelShowsPositionLengthAndTheSubtitleShowingThere) {
    openSubtitles(kSubRip, "subs.srt");
    openMovie(Clip320());
    const struct {
        std::int32_t position;
        const char* text;
    } cases[] = {
        {0, "00:00:00,000 / 00:00:10,000\nZero"},
        {480, "00:00:00,480 / 00:00:10,000\nZero"},
        {520, "00:00:00,520 / 00:00:10,000\n"},
        {1000, "00:00:01,000 / 00:00:10,000\n"}, // a later subtitle shows from one unit on
        {1040, "00:00:01,040 / 00:00:10,000\nOne\nmore"},
        {3480, "00:00:03,480 / 00:00:10,000\nThree"},
        {9000, "00:00:09,000 / 00:00:10,000\n"},
    };
    for (const auto& c : cases) {
        playerAt(c.position);
        EXPECT_EQ(label(), QString::fromLatin1(c.text)) << c.position;
    }
}

TEST_F(PlaybackWindow, ALongSubtitleWrapsInsideTheLabelInWholeWords) {
    const QString path =
        QStringLiteral(VELKAR_CORPUS_DIR "/srt/swiftsubtitles-26-transcript-long-lines.srt");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "corpus file missing";
    // Its second subtitle (a line cut at 255 characters), moved into the clip's ten seconds.
    script.files.push_back(path);
    form().cmdOpenSubtitleClick();
    ASSERT_TRUE(form().document().SubtitleLoaded);
    ASSERT_GT(form().document().SubtitleTexts.size(), 1u);
    const std::string text = form().document().SubtitleTexts[1];
    const std::string moved = "1\r\n00:00:01,000 --> 00:00:09,000\r\n" + text + "\r\n";
    openSubtitles(moved.c_str(), "long.srt");
    openMovie(Clip320());
    playerAt(5000);
    const QLabel& label = *form().lblSubs;
    const QFontMetrics metrics(label.font());
    const QStringList lines = label.text().split(QLatin1Char('\n'));
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("00:00:05,000 / 00:00:10,000"));
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), label.contentsRect().width())
            << line.toStdString();
    EXPECT_LE(lines.size() * metrics.lineSpacing(), label.contentsRect().height());
    // whole words, in order: the lines joined by spaces are the subtitle (cut at 255)
    EXPECT_EQ(lines.mid(1).join(QLatin1Char(' ')), QString::fromStdString(text));
    EXPECT_EQ(label.alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

TEST_F(PlaybackWindow, WithAMicroDvdDocumentTheLabelCountsFrames) {
    openSubtitles(kMicroDvd, "subs.sub");
    openMovie(Clip320());
    playerAt(26);
    EXPECT_EQ(label(), "26 / 250\nOne\nmore");
    playerAt(25);
    EXPECT_EQ(label(), "25 / 250\n");
}

TEST_F(PlaybackWindow, WithoutADocumentTheLabelShowsOnlyTheTimes) {
    openMovie(Clip320());
    playerAt(2000);
    EXPECT_EQ(label(), "00:00:02.00 / 00:00:10.00");
}

TEST_F(PlaybackWindow, BeforeAnyMovieTheLabelKeepsItsDesignText) {
    openSubtitles(kSubRip, "subs.srt");
    playback().tmrSubTimer();
    EXPECT_EQ(label(), "00:00:00,000 / 00:00:00,000");
}

TEST_F(PlaybackWindow, TheViewerSelectsTheLineOfTheCurrentSubtitleWhileShown) {
    openSubtitles(kSubRip, "subs.srt");
    openMovie(Clip320());
    gui::TfrmSubs& viewer = windows->frmSubs();
    playerAt(2040);
    EXPECT_EQ(viewer.lstSubs->currentRow(), -1); // hidden: not touched
    form().cmdShowSubsClick();
    ASSERT_TRUE(viewer.isVisible());
    playerAt(2080);
    EXPECT_EQ(viewer.lstSubs->currentRow(), 9); // the time line of subtitle 3
    playerAt(3040);
    EXPECT_EQ(viewer.lstSubs->currentRow(), 13);
}

TEST_F(PlaybackWindow, SetTimeTakesThePlayersPositionInTheDocumentsForm) {
    openSubtitles(kSubRip, "subs.srt");
    form().cmdFirstClick(); // no movie: nothing
    EXPECT_EQ(form().txtFirst->text(), "00:00:00,000");
    openMovie(Clip320());
    playerAt(5000);
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text(), "00:00:05,000");
    playerAt(7240);
    form().cmdLastClick();
    EXPECT_EQ(form().txtLast->text(), "00:00:07,240");

    openSubtitles(kMicroDvd, "subs.sub");
    playerAt(137);
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text().trimmed(), "137");
}

TEST_F(PlaybackWindow, TheBarTickPlacesTheThumbByThePositionAndIdlesAtTheLeft) {
    playback().tmrScrollTimer();
    EXPECT_EQ(playback().thumbX(), 0);
    EXPECT_FALSE(bar().isHidden()); // the idle bar shows from the first tick
    EXPECT_EQ(qGreen(bar().shown().pixel(0, 10)), 0xE0);
    openMovie(Clip320());
    playerAt(5000);
    playback().tmrScrollTimer();
    EXPECT_EQ(playback().thumbX(), 223);
    EXPECT_EQ(qGreen(bar().shown().pixel(223, 10)), 0xE0);
    EXPECT_NE(qGreen(bar().shown().pixel(0, 10)), 0xE0);
}

TEST_F(PlaybackWindow, DraggingTheThumbSeeksOnReleaseAndPlaysOnWhenItWasPlaying) {
    openMovie(Clip320());
    QTest::mousePress(&form(), Qt::LeftButton, {}, onBar(346));
    EXPECT_TRUE(playback().dragging());
    EXPECT_EQ(playback().playerPosition(), 5000);
    // while dragging the label shows the target, not the player
    playback().tmrSubTimer();
    EXPECT_EQ(label(), "00:00:05.00 / 00:00:10.00");
    QTest::mouseMove(&form(), onBar(2000, 40)); // far right and below: Y plays no part
    QMouseEvent move(QEvent::MouseMove, QPointF(onBar(2000, 40)), QPointF(onBar(2000, 40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form(), &move);
    EXPECT_EQ(playback().playerPosition(), 10000);
    QTest::mouseRelease(&form(), Qt::LeftButton, {}, QPoint(50, 5)); // left of the bar
    EXPECT_FALSE(playback().dragging());
    EXPECT_EQ(playback().playerPosition(), 0);
    Pump(300);
    EXPECT_EQ(mpv().position(), 0);
    EXPECT_EQ(mpv().mode(), PlayerMode::Stopped); // it was not playing

    mpv().play();
    QTest::mousePress(&form(), Qt::LeftButton, {}, onBar(346));
    QTest::mouseRelease(&form(), Qt::LeftButton, {}, onBar(346));
    EXPECT_EQ(mpv().mode(), PlayerMode::Playing);
    ASSERT_TRUE(WaitFor([&] { return mpv().position() > 5100; }));
}

TEST_F(PlaybackWindow, APressCountsOnTheBarsBottomRowButNotBelowIt) {
    openMovie(Clip320());
    QTest::mousePress(&form(), Qt::LeftButton, {}, onBar(346, 21));
    EXPECT_FALSE(playback().dragging());
    QTest::mouseRelease(&form(), Qt::LeftButton, {}, onBar(346, 21));
    QTest::mousePress(&form(), Qt::LeftButton, {}, onBar(346, 20));
    EXPECT_TRUE(playback().dragging());
    QTest::mouseRelease(&form(), Qt::LeftButton, {}, onBar(346, 20));
}

TEST_F(PlaybackWindow, ARightClickStepsBackLeftOfTheThumbAndForwardOnIt) {
    openSubtitles(kSubRip, "subs.srt");
    openMovie(Clip320());
    playerAt(5000);
    playback().tmrScrollTimer(); // thumb at 223
    QTest::mouseClick(&form(), Qt::RightButton, {}, onBar(115 + 100));
    EXPECT_EQ(playback().playerPosition(), 4000);
    Pump(300);
    EXPECT_EQ(mpv().position(), 4000);
    playerAt(5000); // the thumb stays drawn at 223 until the next bar tick
    QTest::mouseClick(&form(), Qt::RightButton, {}, onBar(115 + 223 + 4));
    EXPECT_EQ(playback().playerPosition(), 6000);
    EXPECT_EQ(mpv().mode(), PlayerMode::Stopped);

    openSubtitles(kMicroDvd, "subs.sub");
    playerAt(100);
    playback().tmrScrollTimer();
    QTest::mouseClick(&form(), Qt::RightButton, {}, onBar(115 + 10));
    EXPECT_EQ(playback().playerPosition(), 75);
    Pump(300);
    EXPECT_EQ(mpv().position(), 75);
}

TEST_F(PlaybackWindow, EveryPressOnTheBarCountsDoubleClicksIncluded) {
    openSubtitles(kSubRip, "subs.srt");
    openMovie(Clip320());
    playerAt(5000);
    playback().tmrScrollTimer();
    // Qt delivers the second press of a quick pair as a double-click.
    QTest::mouseClick(&form(), Qt::RightButton, {}, onBar(115 + 100));
    QTest::mouseDClick(&form(), Qt::RightButton, {}, onBar(115 + 100));
    QTest::mouseRelease(&form(), Qt::RightButton, {}, onBar(115 + 100));
    EXPECT_EQ(playback().playerPosition(), 3000);
}

TEST_F(PlaybackWindow, AClickOnThePictureShowsItFullScreenAndAClickOrEscapeReturns) {
    QTest::mouseClick(form().MoviePanel, Qt::LeftButton);
    EXPECT_FALSE(playback().fullScreen()); // no movie: nothing to show
    openMovie(Clip320());
    const QRect window = form().frameGeometry();
    mpv().play();
    Pump(300);
    const std::int32_t before = mpv().position();
    QTest::mouseClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(200, 100));
    ASSERT_TRUE(playback().fullScreen());
    const QRect screen = form().screen()->geometry();
    EXPECT_EQ(form().MoviePanel->geometry(), QRect(QPoint(0, 0), screen.size()));
    EXPECT_EQ(mpv().mode(), PlayerMode::Playing); // the same player plays on
    EXPECT_GE(mpv().position(), before);
    EXPECT_TRUE(form().lblSubs->geometry().intersects(form().MoviePanel->geometry()));
    QTest::mouseClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_FALSE(playback().fullScreen());
    EXPECT_EQ(form().frameGeometry(), window);

    // A double-click: one view, and the second press is no second click.
    QTest::mouseClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseDClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseRelease(form().MoviePanel, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_TRUE(playback().fullScreen());
    QTest::keyClick(form().lblSubs, Qt::Key_Escape);
    EXPECT_FALSE(playback().fullScreen());
    EXPECT_TRUE(form().isVisible()); // Escape left the view, not the program
    EXPECT_EQ(form().frameGeometry(), window);
}

TEST_F(PlaybackWindow, TheVolumeBarSendsTheLevelOnlyWhileAMovieIsOpen) {
    form().VolBar->setValue(50);
    EXPECT_EQ(playback().waveLevel(), 0u);
    openMovie(Clip320());
    // the null sound output has no level to read: the bar keeps its place
    EXPECT_EQ(form().VolBar->value(), 50);
    form().VolBar->setValue(100);
    EXPECT_EQ(playback().waveLevel(), 0xFFFFFFFFu);
    form().VolBar->setValue(50);
    EXPECT_EQ(playback().waveLevel(), 0x7FFF7FFFu);
}

TEST_F(PlaybackWindow, ThePlayersButtonsWorkOnTheOpenFile) {
    auto* play = form().Mplayer->findChild<QToolButton*>(QStringLiteral("btPlay"));
    auto* stop = form().Mplayer->findChild<QToolButton*>(QStringLiteral("btStop"));
    ASSERT_TRUE(play && stop);
    openMovie(Clip320());
    ASSERT_TRUE(play->isEnabled());
    play->click();
    EXPECT_EQ(mpv().mode(), PlayerMode::Playing);
    EXPECT_EQ(form().tmrSub->interval(), 1); // playing: the overlay follows every millisecond
    stop->click();
    EXPECT_EQ(mpv().mode(), PlayerMode::Stopped);
    EXPECT_EQ(form().tmrSub->interval(), PlaybackCommands::kIdleTickMs);
}

TEST_F(PlaybackWindow, VideoInformationReportsTheAviHeadersReadWhenItWasOpened) {
    playback().cmdMovieInfoClick();
    EXPECT_TRUE(script.messages.empty());
    openMovie(Clip320());
    playback().cmdMovieInfoClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_THAT(
        script.messages[0].toStdString(),
        testing::StartsWith("================= VIDEO INFO =================\n\rFilename:\t" +
                            Clip320().toStdString() + "\n\r"));
    EXPECT_THAT(script.messages[0].toStdString(), testing::HasSubstr("FPS:\t\t25.000\n\r"));
    openMovie(ToneMp3());
    playback().cmdMovieInfoClick();
    EXPECT_EQ(script.messages.size(), 1u);
}

} // namespace
} // namespace velkar::playback::test
