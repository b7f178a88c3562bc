// The main window with "Use BSP": a real mpv started as the external player (paused, without
// picture or sound), the movie handed to it, the lines handed to it on open and after Fix
// Synch, the ticks and "Set Time..." asking it, the bar and the volume moving it, the dialog
// seek, the descriptor's movie name and shutdown; and players that hang, ignore SIGTERM or
// quit. File dialogs and message boxes answer from a script.

#include "TestMedia.h"
#include "TestSupport.h"
#include "WindowFixture.h"
#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "mvd/TfrmMvd.h"
#include "playback/ExternalPlayer.h"
#include "playback/MpvIpc.h"
#include "playback/PlayerLayout.h"
#include "playback/PositionBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <deque>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <thread>

namespace velkar::playback::test {
namespace {

using namespace std::chrono_literals;
using gui::PlaybackCommands;
using gui::TForm1;
using velkar::test::Gone;

// 0-500, 1000-1500, 2000-2500 and 3000-3500 ms.
const char kSubRip[] = "1\r\n00:00:00,000 --> 00:00:00,500\r\nZero\r\n\r\n"
                       "2\r\n00:00:01,000 --> 00:00:01,500\r\nOne\r\n\r\n"
                       "3\r\n00:00:02,000 --> 00:00:02,500\r\nTwo\r\n\r\n"
                       "4\r\n00:00:03,000 --> 00:00:03,500\r\nThree\r\n";
const char kMicroDvd[] = "{0}{12}Zero\r\n{25}{37}One\r\n{50}{62}Two\r\n{75}{87}Three\r\n";

const char kMessage[] = "Please make sure you have BSPlayer running, and try again";

// What the issue allows a tick or a press to take while the player hangs.
constexpr qint64 kBlockMs = 50;

// The process `pid` as /proc shows it: its state letter, or 0 when there is no such process.
char ProcessState(std::int32_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return 0;
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? 0 : text[close + 2];
}

class ExternalPlayerWindow : public ExternalWindowFixture {
  protected:
    std::int32_t pid() const { return external().processId(); }

    // One overlay tick once the last answer is old enough to be asked again.
    void tick() {
        QTest::qWait(ExternalPlayer::kAnswerCacheMs + 5);
        form().tmrSubTimer();
    }
    // Waits for the player's own position to be `ms`, or within a frame of it (40 ms at
    // 25 fps) when `frame` is set (mpv lands on the frame before or after a time between two).
    bool playerAt(std::int32_t ms, bool frame = false) {
        return WaitFor([&] {
            const nlohmann::json at = playerProperty("time-pos");
            if (!at.is_number())
                return false;
            const double early = ms - at.get<double>() * 1000;
            return std::abs(early) < (frame ? 41 : 1);
        });
    }
    int externalSubtitleTracks() {
        int n = 0;
        for (const auto& track : playerProperty("track-list"))
            n += track.value("type", "") == "sub" && track.value("external", false);
        return n;
    }
    // A program of the test's folder: a shell script with `body`.
    QString program(const char* name, const std::string& body) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString()) << "#!/bin/sh\n" << body;
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
};

TEST_F(ExternalPlayerWindow, TheLocateDialogProposesThePlayerAndKeepsWhatIsChosen) {
    form().setBspPath(QString());
    script.files = {QString(), QStringLiteral("/opt/players/mpv")};
    form().cmdBSPClick(); // cancelled: nothing changes
    EXPECT_EQ(form().bspPath(), "");
    form().cmdBSPClick();
    EXPECT_EQ(form().bspPath(), "/opt/players/mpv"); // nothing checks that it is a player
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
    openInPlayer(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    EXPECT_TRUE(script.messages.empty());
    EXPECT_NE(ProcessState(pid()), 0);
    EXPECT_NE(ProcessState(pid()), 'Z');
    EXPECT_EQ(form().tmrSub->interval(), PlaybackCommands::kIdleTickMs); // paused
    EXPECT_EQ(playback().Mplayer(), nullptr); // the built-in player was never made
    EXPECT_TRUE(form().windowTitle().endsWith(" - clip320.avi"))
        << form().windowTitle().toStdString();
    EXPECT_EQ(playerProperty("path"), QFile::encodeName(Clip320()).toStdString());
    EXPECT_EQ(form().player().length(), 10000);

    // A second movie goes to the same player, and the caption names it.
    const std::int32_t player = pid();
    openInPlayer(Clip640());
    EXPECT_EQ(pid(), player);
    EXPECT_EQ(playerProperty("path"), QFile::encodeName(Clip640()).toStdString());
    EXPECT_TRUE(form().windowTitle().endsWith(" - clip640.avi"));
}

TEST_F(ExternalPlayerWindow, AProgramThatIsNoPlayerEndsInTheMessage) {
    form().setBspPath(QStringLiteral("/bin/true"));
    openInPlayer(Clip320());
    EXPECT_FALSE(playback().mediaLoaded());
    EXPECT_EQ(pid(), 0);
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
    form().setBspPath(folder.filePath(QStringLiteral("no-such-player")));
    script.files = {Clip320(), QString()}; // the movie, then the locate dialog cancelled
    playback().cmdOpenMovieClick();
    ASSERT_EQ(script.requests.size(), 2u);
    EXPECT_EQ(script.requests[1].title, "Locate Bsplayer executable");
    EXPECT_FALSE(playback().mediaLoaded());
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(pid(), 0);
}

TEST_F(ExternalPlayerWindow, TheOverlayShowsThePlayersMillisecondsWhateverTheFormat) {
    openSubtitles(kSubRip, "movie.srt");
    openInPlayer(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    form().player().seek(2200);
    ASSERT_TRUE(playerAt(2200));
    tick();
    EXPECT_EQ(form().lblSubs->text(), "00:00:02,200 / 00:00:10,000\nTwo");

    // A MicroDVD document counts frames, but the player's milliseconds are taken as they come:
    // 2200 is no frame with a subtitle.
    openSubtitles(kMicroDvd, "movie.sub");
    tick();
    EXPECT_EQ(form().lblSubs->text(), "2200 / 10000\n");
}

TEST_F(ExternalPlayerWindow, SetTimeTakesThePlayersPositionForClockFormsOnly) {
    openSubtitles(kSubRip, "movie.srt");
    openInPlayer(Clip320());
    form().player().seek(1600); // frame 40
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text(), "00:00:01,600");

    openSubtitles(kMicroDvd, "movie.sub");
    const QString before = form().txtLast->text();
    form().cmdLastClick();
    EXPECT_EQ(form().txtLast->text(), before);
}

TEST_F(ExternalPlayerWindow, TheLinesGoToThePlayerBeforeAndAfterTheMovieAndAfterFixSynch) {
    // Opened before the movie: handed over when the movie opens.
    openSubtitles(kSubRip, "movie.srt");
    EXPECT_EQ(pid(), 0);
    openInPlayer(Clip320());
    EXPECT_TRUE(WaitFor([&] { return externalSubtitleTracks() == 1; }));
    form().player().seek(1200);
    EXPECT_TRUE(WaitFor([&] { return playerProperty("sub-text") == "One"; }));

    // Opened with the movie open, and re-timed.
    openSubtitles(kSubRip, "again.srt");
    EXPECT_TRUE(WaitFor([&] { return externalSubtitleTracks() == 2; }));
    form().txtFirst->setText(QStringLiteral("00:00:01,000"));
    form().txtLast->setText(QStringLiteral("00:00:04,000"));
    form().cmdStretchClick();
    EXPECT_TRUE(WaitFor([&] { return externalSubtitleTracks() == 3; }));
    EXPECT_FALSE(QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath("tmp")));
}

TEST_F(ExternalPlayerWindow, TheBarAndTheVolumeMoveThePlayer) {
    openInPlayer(Clip320());
    form().player().seek(5000);
    ASSERT_TRUE(playerAt(5000));
    QTest::qWait(ExternalPlayer::kAnswerCacheMs + 5);
    playback().tmrScrollTimer();
    PositionBar& bar = playback().Bar();
    const int travel = bar.BarWidth - bar.thumbWidth();
    EXPECT_NEAR(playback().thumbX(), travel / 2, 1);

    // A right click left of the thumb: a second back.
    tick();
    playback().FormMouseDown(Qt::RightButton, bar.BarLeft + 10, bar.BarTop + 5);
    EXPECT_TRUE(playerAt(4000));

    // A drag from near the start to three quarters, released there.
    const int y = bar.BarTop + 5;
    playback().FormMouseDown(Qt::LeftButton, bar.BarLeft + 20, y);
    EXPECT_TRUE(playback().dragging());
    const int x = bar.BarLeft + bar.thumbWidth() / 2 + travel * 3 / 4;
    playback().FormMouseMove(Qt::LeftButton, x, y);
    playback().FormMouseUp(x, y);
    EXPECT_FALSE(playback().dragging());
    EXPECT_TRUE(playerAt(playback().playerPosition(), true))
        << playback().playerPosition() << " " << playerProperty("time-pos").dump();
    EXPECT_NEAR(playback().playerPosition(), 7500, 30);

    // The volume bar sets the player's own volume.
    ASSERT_TRUE(form().VolBar->isEnabled());
    form().VolBar->setValue(25);
    EXPECT_TRUE(WaitFor([&] {
        const nlohmann::json volume = playerProperty("volume");
        return volume.is_number() && std::abs(volume.get<double>() - PlayerVolume(25)) < 1e-3;
    }));
}

TEST_F(ExternalPlayerWindow, PickingADialogInRepairModeSeeksThePlayer) {
    openSubtitles(kSubRip, "movie.srt");
    openInPlayer(Clip320());
    form().chkRepair->setChecked(true);
    form().cboDialogs->setCurrentIndex(2);
    form().cboDialogsClick();
    EXPECT_TRUE(playerAt(2000));
    EXPECT_EQ(playback().Mplayer(), nullptr);
}

TEST_F(ExternalPlayerWindow, TheDescriptorNamesTheMoviePlayingInThePlayer) {
    openInPlayer(Clip320());
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

TEST_F(ExternalPlayerWindow, APlayerThatEndsIsReapedAndAnswersZero) {
    openSubtitles(kSubRip, "movie.srt");
    openInPlayer(Clip320());
    const std::int32_t player = pid();
    ASSERT_NE(player, 0);
    form().player().seek(1200);
    ASSERT_TRUE(playerAt(1200));
    ::kill(player, SIGKILL); // as a user closing it, the hard way
    EXPECT_TRUE(WaitFor([&] { return Gone(player); }, 1000)) << ProcessState(player);
    tick();
    EXPECT_EQ(form().lblSubs->text(), "00:00:00,000 / 00:00:00,000\nZero");
    const QString first = form().txtFirst->text();
    form().cmdFirstClick();
    EXPECT_EQ(form().txtFirst->text(), first);

    // The next open starts a new player; closing says nothing.
    openInPlayer(Clip320());
    EXPECT_TRUE(playback().mediaLoaded());
    EXPECT_NE(pid(), player);
    form().close();
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ExternalPlayerWindow, ClosingEndsThePlayerWithoutAMessage) {
    openInPlayer(Clip320());
    const std::int32_t player = pid();
    ASSERT_NE(player, 0);
    form().close();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_TRUE(WaitFor([&] { return Gone(player); })); // ended off the window's thread
}

// Tests that bound how long a tick or a press takes: run alone, and only in the plain build.
class ExternalPlayerWindowTiming : public ExternalPlayerWindow {};

TEST_F(ExternalPlayerWindowTiming, AHungPlayerHoldsUpNoTickOrPressAndClosingStopsIt) {
    openSubtitles(kSubRip, "movie.srt");
    openInPlayer(Clip320());
    const std::int32_t player = pid();
    form().player().seek(2200);
    ASSERT_TRUE(playerAt(2200));
    tick();
    ASSERT_EQ(::kill(player, SIGSTOP), 0);
    PositionBar& bar = playback().Bar();
    const int y = bar.BarTop + 5;
    QElapsedTimer clock;
    qint64 longest = 0;
    const auto timed = [&](const std::function<void()>& step) {
        clock.start();
        step();
        longest = std::max(longest, clock.elapsed());
    };
    // Long enough for several asks to go unanswered (each waits a second for its answer).
    for (int i = 0; i < 60; ++i) {
        QTest::qWait(ExternalPlayer::kAnswerCacheMs + 5);
        timed([&] { form().tmrSubTimer(); });
        timed([&] { playback().tmrScrollTimer(); });
        if (i % 10 == 0) {
            timed([&] { form().cmdFirstClick(); });
            timed([&] { playback().FormMouseDown(Qt::RightButton, bar.BarLeft + 1, y); });
            timed([&] { playback().FormMouseDown(Qt::LeftButton, bar.BarLeft + 1, y); });
            timed([&] { playback().FormMouseUp(bar.BarLeft + 1, y); });
            timed([&] { form().VolBar->setValue(i); });
        }
    }
    EXPECT_LT(longest, kBlockMs);
    // The length is the last answer; the position the last one asked for (the release at the
    // bar's left end).
    EXPECT_EQ(form().lblSubs->text(), "00:00:00,000 / 00:00:10,000\nZero");

    clock.start();
    form().close();
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_TRUE(WaitFor([&] { return Gone(player); })) << ProcessState(player);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ExternalPlayerWindowTiming, AProgramIgnoringTermIsKilledAndNeverHoldsUpTheWindow) {
    ExternalPlayer::Options options;
    options.waits.start = 1s;
    external().setOptions(options);
    const QString pidFile = folder.filePath(QStringLiteral("pid"));
    form().setBspPath(program("stubborn", "echo $$ > '" + pidFile.toStdString() +
                                              "'\ntrap '' TERM\nwhile :; do sleep 0.05; done\n"));
    const auto stubborn = [&] {
        QFile file(pidFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
    };

    // An open that gives up on it: the message, and the program gone at most 2 s after SIGTERM.
    QElapsedTimer clock;
    clock.start();
    openMovie(Clip320());
    EXPECT_LT(clock.elapsed(), kBlockMs);
    qint64 longest = 0;
    while (finished == 0 && clock.elapsed() < 8000) {
        QTest::qWait(ExternalPlayer::kAnswerCacheMs);
        QElapsedTimer tickClock;
        tickClock.start();
        form().tmrSubTimer();
        playback().tmrScrollTimer();
        longest = std::max(longest, tickClock.elapsed());
    }
    EXPECT_LT(longest, kBlockMs);
    ASSERT_EQ(finished, 1);
    EXPECT_LT(clock.elapsed(), 1000 + 2000 + 1000);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0], kMessage);
    const std::int32_t first = stubborn();
    ASSERT_NE(first, 0);
    EXPECT_TRUE(Gone(first)) << ProcessState(first);

    // Closing while the next open waits for it.
    QFile::remove(pidFile);
    openMovie(Clip320());
    ASSERT_TRUE(WaitFor([&] { return stubborn() != 0; }));
    clock.start();
    form().close();
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_TRUE(WaitFor([&] { return Gone(stubborn()); })) << ProcessState(stubborn());
}

TEST_F(ExternalPlayerWindow, TheNextOpenStartsTheProgramLocatedSince) {
    openInPlayer(Clip320());
    const std::int32_t before = pid();
    const QString marker = folder.filePath(QStringLiteral("started"));
    script.files = {
        program("other-mpv", "touch '" + marker.toStdString() + "'\nexec /usr/bin/mpv \"$@\"\n")};
    form().cmdBSPClick();
    openInPlayer(Clip640());
    EXPECT_TRUE(playback().mediaLoaded());
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_NE(pid(), before);
    EXPECT_TRUE(Gone(before)) << ProcessState(before);
    EXPECT_EQ(playerProperty("path"), QFile::encodeName(Clip640()).toStdString());
}

TEST_F(ExternalPlayerWindow, UntickingUseBspLeavesTheBuiltInPlayerWithoutAFileAndNoCrash) {
    openInPlayer(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    form().chkBSP->setChecked(false);
    EXPECT_FALSE(form().useBsp());
    PositionBar& bar = playback().Bar();
    playback().FormMouseDown(Qt::RightButton | Qt::LeftButton, bar.BarLeft + 10, bar.BarTop + 5);
    playback().FormMouseUp(bar.BarLeft + 10, bar.BarTop + 5);
    playback().tmrScrollTimer();
    tick();
    EXPECT_EQ(form().lblSubs->text(), "00:00:00.00 / 00:00:00.00"); // no document: no format
}

} // namespace
} // namespace velkar::playback::test
