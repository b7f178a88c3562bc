// The main window with "Use BSP": a real mpv started as the external player (paused, without
// picture or sound), the movie handed to it, the lines handed to it on open and after Fix
// Synch, the ticks and "Set Time..." asking it, the dialog seek, the descriptor's movie name
// and shutdown. File dialogs and message boxes answer from a script.

#include "TestMedia.h"
#include "WindowFixture.h"
#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "mvd/TfrmMvd.h"
#include "playback/MpvIpc.h"
#include "playback/PositionBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <thread>

namespace velkar::playback::test {
namespace {

using namespace std::chrono_literals;
using gui::PlaybackCommands;
using gui::TForm1;

// 0-500, 1000-1500, 2000-2500 and 3000-3500 ms.
const char kSubRip[] = "1\r\n00:00:00,000 --> 00:00:00,500\r\nZero\r\n\r\n"
                       "2\r\n00:00:01,000 --> 00:00:01,500\r\nOne\r\n\r\n"
                       "3\r\n00:00:02,000 --> 00:00:02,500\r\nTwo\r\n\r\n"
                       "4\r\n00:00:03,000 --> 00:00:03,500\r\nThree\r\n";
const char kMicroDvd[] = "{0}{12}Zero\r\n{25}{37}One\r\n{50}{62}Two\r\n{75}{87}Three\r\n";

const char kMessage[] = "Please make sure you have BSPlayer running, and try again";

bool HaveMpv() {
    return QFileInfo(QStringLiteral("/usr/bin/mpv")).isExecutable();
}

class ExternalPlayerWindow : public WindowFixture {
  protected:
    void SetUp() override {
        if (!HaveMpv() || Clip320().isEmpty())
            GTEST_SKIP() << "mpv or ffmpeg is not installed";
        startWindows();
        form().BspArguments = {"--vo=null", "--ao=null", "--force-window=no", "--pause"};
        form().BspWaits.start = 5s;
        form().BspWaits.reply = 1s;
        form().BSPPath = QStringLiteral("/usr/bin/mpv");
        form().chkBSP->setChecked(true);
        form().show();
    }
    void TearDown() override {
        // Whatever a test left running goes with the window's shutdown.
        if (windows && form().BSPWindow != 0) {
            form().UseBSP = true;
            form().close();
        }
        WindowFixture::TearDown();
    }

    // One overlay tick once the last ask is old enough to be asked again.
    void tick() {
        QTest::qWait(PlaybackCommands::kExternalPollMs + 5);
        form().tmrSubTimer();
    }
    // What the external player says, asked on a connection of the test's own.
    nlohmann::json playerProperty(const char* name) {
        MpvIpcClient client;
        if (!client.connect(form().bsp().socketPath()))
            return {};
        return client.request({"get_property", name}, 2s).value_or(nlohmann::json());
    }
    int externalSubtitleTracks() {
        int n = 0;
        for (const auto& track : playerProperty("track-list"))
            n += track.value("type", "") == "sub" && track.value("external", false);
        return n;
    }
    static bool ProcessRuns(std::int32_t pid) {
        return pid > 0 && ::kill(pid, 0) == 0 && ::waitpid(pid, nullptr, WNOHANG) == 0;
    }
};

TEST_F(ExternalPlayerWindow, TheLocateDialogProposesThePlayerAndKeepsWhatIsChosen) {
    form().BSPPath.clear();
    script.files = {QString(), QStringLiteral("/opt/players/mpv")};
    form().cmdBSPClick(); // cancelled: nothing changes
    EXPECT_EQ(form().BSPPath, "");
    form().cmdBSPClick();
    EXPECT_EQ(form().BSPPath, "/opt/players/mpv"); // nothing checks that it is a player
    form().cmdBSPClick();
    ASSERT_EQ(script.requests.size(), 3u);
    const gui::FileRequest& first = script.requests[0];
    EXPECT_EQ(first.title, "Locate Bsplayer executable");
    EXPECT_EQ(first.filter, "BSPlayer (*.exe);;All Files (*)");
    EXPECT_EQ(first.fileName, "mpv");
    EXPECT_EQ(first.folder, "/usr/bin");
    EXPECT_EQ(script.requests[2].folder, "/opt/players"); // the folder of the path located
}

TEST_F(ExternalPlayerWindow, OpeningAMovieStartsThePlayerAndHandsItTheMovie) {
    const QString caption = form().windowTitle();
    openMovie(Clip320());
    ASSERT_TRUE(playback().MediaLoaded);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_TRUE(ProcessRuns(form().BSPWindow));
    EXPECT_EQ(form().tmrSub->interval(), 1);
    EXPECT_EQ(playback().Mplayer(), nullptr); // the built-in player was never made
    EXPECT_EQ(form().windowTitle(), caption);
    EXPECT_EQ(playerProperty("path"), QFile::encodeName(Clip320()).toStdString());
    EXPECT_EQ(form().bsp().SendCommand(BspGetLength), 10000);

    // A second movie goes to the same player.
    const std::int32_t player = form().BSPWindow;
    openMovie(Clip640());
    EXPECT_EQ(form().BSPWindow, player);
    EXPECT_EQ(playerProperty("path"), QFile::encodeName(Clip640()).toStdString());
}

TEST_F(ExternalPlayerWindow, AProgramThatIsNoPlayerEndsInTheMessage) {
    form().BSPPath = QStringLiteral("/bin/true");
    openMovie(Clip320());
    EXPECT_FALSE(playback().MediaLoaded);
    EXPECT_EQ(form().BSPWindow, 0);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], kMessage);
    EXPECT_EQ(form().pgrBar->value(), 0);

    // With no player linked, the ticks leave everything as it is.
    const QString label = form().lblSubs->text();
    tick();
    playback().tmrScrollTimer();
    EXPECT_EQ(form().lblSubs->text(), label);
}

TEST_F(ExternalPlayerWindow, WithoutAnExecutableTheOpenAsksForItOnceAndEndsSilently) {
    form().BSPPath = folder.filePath(QStringLiteral("no-such-player"));
    script.files = {Clip320(), QString()}; // the movie, then the locate dialog cancelled
    playback().cmdOpenMovieClick();
    ASSERT_EQ(script.requests.size(), 2u);
    EXPECT_EQ(script.requests[1].title, "Locate Bsplayer executable");
    EXPECT_FALSE(playback().MediaLoaded);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(form().BSPWindow, 0);
}

TEST_F(ExternalPlayerWindow, TheOverlayShowsThePlayersMillisecondsWhateverTheFormat) {
    openSubtitles(kSubRip, "movie.srt");
    openMovie(Clip320());
    ASSERT_TRUE(playback().MediaLoaded);
    form().bsp().SendCommand(BspSeek, 2200);
    tick();
    EXPECT_EQ(form().BSPPosition, 2200);
    EXPECT_EQ(form().lblSubs->text(), "00:00:02,200 / 00:00:10,000\nTwo");

    // A MicroDVD document counts frames, but the player's milliseconds are taken as they come:
    // 2200 is no frame with a subtitle.
    openSubtitles(kMicroDvd, "movie.sub");
    tick();
    EXPECT_EQ(form().lblSubs->text(), "2200 / 10000\n");
}

TEST_F(ExternalPlayerWindow, SetTimeTakesThePlayersPositionForClockFormsOnly) {
    openSubtitles(kSubRip, "movie.srt");
    openMovie(Clip320());
    form().bsp().SendCommand(BspSeek, 1600); // frame 40
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text(), "00:00:01,600");

    openSubtitles(kMicroDvd, "movie.sub");
    const QString before = form().txtLast->text();
    form().cmdLastClick();
    EXPECT_EQ(form().txtLast->text(), before);
}

TEST_F(ExternalPlayerWindow, TheLinesGoToThePlayerOnOpenAndAfterFixSynch) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("tmp");
    openMovie(Clip320());
    openSubtitles(kSubRip, "movie.srt");
    EXPECT_EQ(externalSubtitleTracks(), 1);
    EXPECT_FALSE(QFile::exists(beside));

    form().txtFirst->setText(QStringLiteral("00:00:01,000"));
    form().txtLast->setText(QStringLiteral("00:00:04,000"));
    form().cmdStretchClick();
    EXPECT_EQ(externalSubtitleTracks(), 2);
    EXPECT_FALSE(QFile::exists(beside));
}

TEST_F(ExternalPlayerWindow, LinesOpenedBeforeAnyMovieReachNobodyAndLeaveNoFile) {
    openSubtitles(kSubRip, "movie.srt");
    EXPECT_EQ(form().BSPWindow, 0);
    EXPECT_FALSE(QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath("tmp")));
}

TEST_F(ExternalPlayerWindow, TheBarShowsThePlayersPositionAndCannotBeDragged) {
    openMovie(Clip320());
    form().bsp().SendCommand(BspSeek, 5000);
    QTest::qWait(PlaybackCommands::kExternalPollMs + 5);
    playback().tmrScrollTimer();
    PositionBar& bar = playback().Bar();
    const int travel = bar.BarWidth - bar.thumbWidth();
    EXPECT_NEAR(playback().ThumbX, travel / 2, 1);

    playback().FormMouseDown(Qt::LeftButton, bar.BarLeft + 10, bar.BarTop + 5);
    EXPECT_FALSE(playback().Dragging);
}

TEST_F(ExternalPlayerWindow, PickingADialogInRepairModeSeeksThePlayer) {
    openSubtitles(kSubRip, "movie.srt");
    openMovie(Clip320());
    form().chkRepair->setChecked(true);
    form().cboDialogs->setCurrentIndex(2);
    form().cboDialogsClick();
    EXPECT_EQ(form().bsp().SendCommand(BspGetPosition), 2000);
    EXPECT_EQ(playback().Mplayer(), nullptr);
}

TEST_F(ExternalPlayerWindow, TheDescriptorNamesTheMoviePlayingInThePlayer) {
    openMovie(Clip320());
    QString movieDir, aviName;
    QTimer::singleShot(0, [&] {
        gui::TfrmMvd& mvd = windows->frmMvd();
        movieDir = mvd.txtMovieDir->text();
        aviName = mvd.txtAviName->text();
        mvd.reject();
    });
    form().cmdMakeMVDClick();
    const QFileInfo clip(Clip320());
    EXPECT_EQ(aviName, clip.fileName());
    EXPECT_TRUE(movieDir.startsWith(clip.absolutePath())) << movieDir.toStdString();
}

TEST_F(ExternalPlayerWindow, AKilledPlayerAnswersZeroWithoutHanging) {
    openSubtitles(kSubRip, "movie.srt");
    openMovie(Clip320());
    const std::int32_t player = form().BSPWindow;
    ASSERT_NE(player, 0);
    ::kill(player, SIGKILL);
    for (int i = 0; i < 100 && ProcessRuns(player); ++i)
        std::this_thread::sleep_for(10ms);
    tick();
    EXPECT_EQ(form().lblSubs->text(), "00:00:00,000 / 00:00:00,000\nZero");
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text(), "00:00:00,000");

    // Closing finds no player any more and says so.
    form().close();
    ASSERT_FALSE(script.messages.empty());
    EXPECT_EQ(script.messages.back(), "0");
}

TEST_F(ExternalPlayerWindow, ClosingTellsThePlayerToExitAndShowsWhichOneWasFound) {
    openMovie(Clip320());
    const std::int32_t player = form().BSPWindow;
    ASSERT_NE(player, 0);
    form().close();
    ASSERT_FALSE(script.messages.empty());
    EXPECT_EQ(script.messages.back(), QString::number(player));
    EXPECT_FALSE(ProcessRuns(player));
}

TEST_F(ExternalPlayerWindow, UntickingUseBspLeavesTheBuiltInPlayerWithoutAFileAndNoCrash) {
    openMovie(Clip320());
    ASSERT_TRUE(playback().MediaLoaded);
    form().chkBSP->setChecked(false);
    EXPECT_FALSE(form().UseBSP);
    PositionBar& bar = playback().Bar();
    playback().FormMouseDown(Qt::RightButton | Qt::LeftButton, bar.BarLeft + 10, bar.BarTop + 5);
    playback().FormMouseUp(bar.BarLeft + 10, bar.BarTop + 5);
    playback().tmrScrollTimer();
    tick();
    EXPECT_EQ(form().lblSubs->text(), "00:00:00.00 / 00:00:00.00"); // no document: no format
    form().chkBSP->setChecked(true); // so that the shutdown ends the player
}

} // namespace
} // namespace velkar::playback::test
