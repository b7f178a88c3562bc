// The main window's movie with the built-in player when something goes wrong or the layout
// changes: files no player can read are refused at once, a failed open leaves no trace of the
// movie before, and the label and the bar stay under the picture through every layout.

#include "TestMedia.h"
#include "WindowFixture.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "playback/MpvPlayer.h"
#include "playback/PositionBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velkar::playback::test {
namespace {

const char kSubRip[] = "1\r\n00:00:00,000 --> 00:00:00,500\r\nZero\r\n\r\n"
                       "2\r\n00:00:02,000 --> 00:00:02,500\r\nTwo\r\n";

class MovieWindow : public BuiltInWindowFixture {
  protected:
    // "Open Media" as the user presses it: a failure goes to a message box.
    void pressOpenMedia(const QString& path) {
        script.files.push_back(path);
        QTest::mouseClick(form().cmdOpenMovie, Qt::LeftButton);
    }
};

TEST_F(MovieWindow, AFileNoPlayerCanReadIsRefusedAtOnceAndTheMovieGoesOn) {
    openMovie(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    const QString fifo = folder.filePath(QStringLiteral("pipe.avi"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString notRegular = QStringLiteral(
        ": it is not a regular file (a pipe, a device or a folder cannot be played)");
    const struct {
        QString path;
        QString reason;
    } cases[] = {{fifo, notRegular},
                 {folder.path(), notRegular},
                 {QStringLiteral("/dev/zero"), notRegular},
                 {folder.filePath(QStringLiteral("gone.avi")),
                  QStringLiteral(": No such file or directory")}};
    for (const auto& c : cases) {
        script.messages.clear();
        QElapsedTimer clock;
        clock.start();
        pressOpenMedia(c.path);
        // A FIFO held the built-in player's open for its whole 15 s limit.
        EXPECT_LT(clock.elapsed(), 3000) << c.path.toStdString();
        ASSERT_EQ(script.messages.size(), 1u) << c.path.toStdString();
        EXPECT_EQ(script.messages[0], "Cannot open media file " + c.path + c.reason);
        EXPECT_TRUE(playback().mediaLoaded());
        EXPECT_TRUE(form().player().isOpen());
        EXPECT_EQ(form().windowTitle(), "Velkar - clip320.avi");
    }
}

TEST_F(MovieWindow, AFailedOpenLeavesTheWindowCleanlyWithoutAMovie) {
    openSubtitles(kSubRip, "subs.srt");
    openMovie(Clip320());
    form().player().seek(5000);
    Pump(300);
    playback().tmrSubTimer();
    playback().tmrScrollTimer();
    ASSERT_GT(playback().thumbX(), 0);
    ASSERT_TRUE(button("btPlay")->isEnabled());

    pressOpenMedia(NotMedia());
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_FALSE(playback().mediaLoaded());
    EXPECT_EQ(form().pgrBar->value(), 0);
    EXPECT_EQ(form().windowTitle(), "subs.srt[*] - Velkar");
    EXPECT_EQ(form().lblSubs->text(), "00:00:00,000 / 00:00:00,000");
    EXPECT_FALSE(button("btPlay")->isEnabled());
    // One thumb, at the start: the bar as freshly drawn there.
    EXPECT_EQ(playback().thumbX(), 0);
    bar().redrawBackground();
    bar().drawThumb(0);
    EXPECT_EQ(bar().shown(), bar().BarImage);
    // The ticks leave it so.
    playback().tmrSubTimer();
    playback().tmrScrollTimer();
    EXPECT_EQ(form().lblSubs->text(), "00:00:00,000 / 00:00:00,000");
    EXPECT_EQ(bar().shown(), bar().BarImage);
}

// Each sequence of layout changes ends with the label right under the picture and the bar
// right under the label, as wide as the picture.
TEST_F(MovieWindow, TheLabelAndTheBarStayUnderThePictureInEveryLayout) {
    openMovie(Clip320());
    const auto fullScreenAndBack = [&] {
        QTest::mouseClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(100, 50));
        ASSERT_TRUE(playback().fullScreen());
        QTest::keyClick(form().lblSubs, Qt::Key_Escape);
        ASSERT_FALSE(playback().fullScreen());
    };
    const auto repair = [&](bool on) { form().chkRepair->setChecked(on); };
    const auto zoom = [&](int index) {
        form().cboZoom->setCurrentIndex(index);
        playback().cboZoomClick();
    };
    const struct {
        const char* what;
        std::function<void()> steps;
    } sequences[] = {
        {"full screen, Escape", fullScreenAndBack},
        {"full screen, Escape, repair on", [&] { fullScreenAndBack(), repair(true); }},
        {"full screen, Escape, repair on and off",
         [&] { fullScreenAndBack(), repair(true), repair(false); }},
        {"2.0x, full screen, Escape, 1.0x", [&] { zoom(3), fullScreenAndBack(), zoom(1); }},
        {"0.5x, full screen, Escape", [&] { zoom(0), fullScreenAndBack(); }},
    };
    for (const auto& s : sequences) {
        s.steps();
        const QRect panel = form().MoviePanel->geometry();
        const QRect label = form().lblSubs->geometry();
        EXPECT_EQ(label.topLeft(), QPoint(panel.left(), panel.bottom() + 1)) << s.what;
        EXPECT_EQ(label.width(), panel.width()) << s.what;
        EXPECT_EQ(bar().geometry(), QRect(label.left(), label.bottom() + 1, panel.width(), 20))
            << s.what;
        EXPECT_EQ(bar().BarLeft, label.left()) << s.what;
    }
}

} // namespace
} // namespace velkar::playback::test
