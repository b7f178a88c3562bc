// The main window playing movies with their picture, on a 1280 x 1024 screen: a 640 x 480
// movie at "1.0x" with a SubRip document loaded, the picture after a sound file, the
// full-screen view, and large movies at every zoom. Runs under Xvfb (see CMakeLists.txt). With
// VELKAR_SCREENSHOT set, the window's picture is saved there (docs/playing.png is made this way).

#include "TestMedia.h"
#include "WindowFixture.h"
#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace velkar::playback::test {
namespace {

class OneFile : public gui::UserDialogs {
  public:
    QString path;
    std::optional<QString> openFile(QWidget*, const gui::FileRequest&) override { return path; }
    std::optional<QString> saveFile(QWidget*, const gui::FileRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString&, const QString& text) override {
        ADD_FAILURE() << text.toStdString();
    }
    gui::Answer question(QWidget*, const QString&, const QString&, bool) override {
        return gui::Answer::No;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return std::nullopt; }
};

TEST(PlayingWindow, ShowsThePictureTheSubtitleAndTheThumb) {
    QTemporaryDir folder;
    OneFile dialogs;
    gui::SetUserDialogs(&dialogs);
    {
        gui::Windows windows(folder.filePath(QStringLiteral("tavrel.ini")));
        gui::TForm1& form = windows.Form1();
        form.playback().playerOptions().audioOutput = QStringLiteral("null");
        form.move(0, 0);
        form.show();
        dialogs.path = folder.filePath(QStringLiteral("harbour.srt"));
        QFile subs(dialogs.path);
        ASSERT_TRUE(subs.open(QIODevice::WriteOnly));
        subs.write("1\r\n00:00:00,500 --> 00:00:04,000\r\n"
                   "Where are you going tonight?[br]Down to the harbour.\r\n");
        subs.close();
        form.cmdOpenSubtitleClick();
        dialogs.path = Clip640();
        form.playback().cmdOpenMovieClick();
        ASSERT_TRUE(form.playback().mediaLoaded());
        ASSERT_TRUE(form.playback().Mplayer()->hasPicture());
        form.playback().Mplayer()->play();
        ASSERT_TRUE(WaitFor([&] { return form.player().position() >= 2000; }));
        form.playback().Mplayer()->pause();
        Pump(300);

        EXPECT_EQ(form.frameGeometry().size(), QSize(760, 645));
        EXPECT_TRUE(form.lblSubs->text().contains(
            QStringLiteral("Where are you going tonight?\nDown to the harbour.")));
        EXPECT_GT(form.playback().thumbX(), 0);
        const QImage window = form.grab().toImage();
        // the test pattern in the panel, the green thumb on the bar
        const QColor picture = window.pixelColor(115 + 200, 32 + 100);
        EXPECT_GT(picture.hsvSaturation(), 100) << picture.name().toStdString();
        const QColor thumb = window.pixelColor(115 + form.playback().thumbX(), 562 + 10);
        EXPECT_EQ(thumb.green(), 0xE0);
        const QByteArray shot = qgetenv("VELKAR_SCREENSHOT");
        if (!shot.isEmpty()) {
            EXPECT_TRUE(window.save(QString::fromLocal8Bit(shot)));
        }
    }
    gui::SetUserDialogs(nullptr);
}

} // namespace
} // namespace velkar::playback::test

namespace velkar::playback::test {
namespace {

// The window shown on the X screen, with the picture, movies played without sound.
class ShownWindow : public WindowFixture {
  protected:
    void SetUp() override {
        startWindows();
        playback().playerOptions().audioOutput = QStringLiteral("null");
        form().move(0, 0);
        form().show();
    }
    // Whether the panel shows a colourful picture (the test pattern) at its middle.
    bool showsPicture() {
        Pump(300);
        // What the X screen shows, not what the widgets would draw.
        const QRect place(form().MoviePanel->mapToGlobal(QPoint(0, 0)), form().MoviePanel->size());
        const QImage panel =
            form()
                .screen()
                ->grabWindow(0, place.x(), place.y(), place.width(), place.height())
                .toImage();
        int coloured = 0;
        for (int x = 0; x < panel.width(); x += 8)
            if (QColor(panel.pixel(x, panel.height() / 2)).hsvSaturation() > 100)
                ++coloured;
        return coloured > 10;
    }
};

TEST_F(ShownWindow, ThePictureComesBackAfterAFileWithoutOne) {
    openMovie(ClipOfSize(640, 480));
    ASSERT_TRUE(playback().Mplayer()->hasPicture()) << "no OpenGL: run under Xvfb";
    EXPECT_TRUE(showsPicture());
    openMovie(ToneMp3());
    EXPECT_FALSE(playback().Mplayer()->showsPicture());
    EXPECT_FALSE(showsPicture());
    playback().Mplayer()->play();
    Pump(500);
    openMovie(ClipOfSize(640, 480));
    EXPECT_TRUE(playback().Mplayer()->showsPicture());
    EXPECT_TRUE(showsPicture());
    playback().Mplayer()->play();
    Pump(500);
    EXPECT_TRUE(showsPicture());
}

TEST_F(ShownWindow, TheFullScreenViewShowsThePlayersOwnPictureAcrossTheScreen) {
    openMovie(ClipOfSize(640, 480));
    playback().Mplayer()->play();
    QTest::mouseClick(form().MoviePanel, Qt::LeftButton, {}, QPoint(100, 100));
    ASSERT_TRUE(playback().fullScreen());
    Pump(500);
    const QRect screen = form().screen()->geometry();
    // 640 x 480 on 1280 x 1024: 1280 x 960, centred; the test pattern at the middle
    const QImage shown =
        form().screen()->grabWindow(0, 0, screen.height() / 2, screen.width(), 1).toImage();
    int coloured = 0;
    for (int x = 0; x < shown.width(); x += 16)
        if (QColor(shown.pixel(x, 0)).hsvSaturation() > 100)
            ++coloured;
    EXPECT_GT(coloured, shown.width() / 16 / 2);
    EXPECT_TRUE(form().lblSubs->isVisible());
    QTest::keyClick(form().lblSubs, Qt::Key_Escape);
    EXPECT_FALSE(playback().fullScreen());
    EXPECT_TRUE(form().isVisible());
}

// A large movie at every zoom item: the window stays on the screen, the picture keeps its
// shape, and no control lies on it.
class LargeMovie : public ShownWindow, public testing::WithParamInterface<QSize> {};

TEST_P(LargeMovie, KeepsTheWholeWindowOnTheScreenAtEveryZoom) {
    const QSize movie = GetParam();
    openMovie(ClipOfSize(movie.width(), movie.height()));
    ASSERT_TRUE(playback().mediaLoaded());
    const QRect screen = form().screen()->availableGeometry();
    for (int item = 0; item < form().cboZoom->count(); ++item) {
        form().cboZoom->setCurrentIndex(item);
        playback().cboZoomClick();
        Pump(100);
        SCOPED_TRACE(form().cboZoom->currentText().toStdString());
        EXPECT_TRUE(screen.contains(form().frameGeometry()))
            << form().frameGeometry().width() << "x" << form().frameGeometry().height();
        const QRect panel = form().MoviePanel->geometry();
        EXPECT_NEAR(double(panel.width()) / panel.height(), double(movie.width()) / movie.height(),
                    0.01);
        for (QWidget* control : form().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control == form().MoviePanel || control->isHidden())
                continue;
            EXPECT_FALSE(control->geometry().intersects(panel))
                << control->objectName().toStdString();
            EXPECT_TRUE(form().rect().contains(control->geometry()))
                << control->objectName().toStdString();
        }
    }
    EXPECT_EQ(form().cboZoom->currentText(), QStringLiteral("2.0x")); // as asked
}

INSTANTIATE_TEST_SUITE_P(FullHdAndUltraHd, LargeMovie,
                         testing::Values(QSize(1920, 1080), QSize(3840, 2160)));

} // namespace
} // namespace velkar::playback::test
