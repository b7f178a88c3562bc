// The main window with "Use BSP" and a real mpv as the external player: the player's buttons
// and "Video Information" reach the movie in it, a file it cannot play leaves no movie behind,
// and closing the window never waits for a player that hangs, while the player still ends.

#include "TestMedia.h"
#include "TestSupport.h"
#include "WindowFixture.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "playback/ExternalPlayer.h"
#include "playback/MpvIpc.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velkar::playback::test {
namespace {

using namespace std::chrono_literals;

// Closing must not wait for the player: before, a hung one held the window 1 to 5 s.
constexpr qint64 kCloseMs = 500;

using velkar::test::Gone;

class ExternalControls : public ExternalWindowFixture {
  protected:
    // A "player" of the test's folder that takes the connection, never answers and ignores
    // SIGTERM. It writes its process id to NAME.pid and what it is sent to NAME.log.
    QString mutePlayer(const char* name) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        std::ofstream out(path.toStdString());
        out << "#!/usr/bin/python3\n"
               "import os, signal, socket, sys, time\n"
               "signal.signal(signal.SIGTERM, signal.SIG_IGN)\n"
               "name = sys.argv[0]\n"
               "open(name + '.pid', 'w').write(str(os.getpid()))\n"
               "where = [a.split('=', 1)[1] for a in sys.argv if "
               "a.startswith('--input-ipc-server=')][0]\n"
               "s = socket.socket(socket.AF_UNIX)\n"
               "s.bind(where)\n"
               "s.listen(1)\n"
               "c, _ = s.accept()\n"
               "while True:\n"
               "    data = c.recv(4096)\n"
               "    if not data:\n"
               "        break\n"
               "    with open(name + '.log', 'ab') as log:\n"
               "        log.write(data)\n"
               "while True:\n"
               "    time.sleep(1)\n";
        out.close();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // The process id the mute player `name` wrote, 0 while it has written none.
    int startedPid(const char* name) const {
        QFile file(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".pid")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
    }
    // What the mute player `name` has been sent so far.
    QByteArray received(const char* name) const {
        QFile file(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".log")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Closes the window as the user does; gives how long that took.
    qint64 timedClose() {
        QElapsedTimer clock;
        clock.start();
        form().close();
        return clock.elapsed();
    }
};

TEST_F(ExternalControls, PlayPauseAndStopReachThePlayer) {
    openInPlayer(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    ASSERT_EQ(playerProperty("pause"), true);
    const struct {
        const char* button;
        bool paused;
    } presses[] = {{"btPlay", false},
                   {"btPause", true},
                   {"btPause", false},
                   {"btStop", true},
                   {"btPlay", false}};
    for (const auto& p : presses) {
        ASSERT_TRUE(button(p.button)->isEnabled()) << p.button;
        button(p.button)->click();
        EXPECT_TRUE(WaitFor([&] { return playerProperty("pause") == p.paused; }, 3000)) << p.button;
    }
    button("btPrev")->click();
    EXPECT_TRUE(WaitFor([&] {
        const nlohmann::json at = playerProperty("time-pos");
        return at.is_number() && at.get<double>() < 1.0;
    }));
}

TEST_F(ExternalControls, VideoInformationReportsTheMovieInTheExternalPlayer) {
    // The built-in player has one movie, the external player another.
    form().chkBSP->setChecked(false);
    playback().playerOptions().picture = false;
    playback().playerOptions().audioOutput = QStringLiteral("null");
    openMovie(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    form().chkBSP->setChecked(true);
    openInPlayer(Clip640());
    ASSERT_TRUE(playback().mediaLoaded());
    script.messages.clear();
    playback().cmdMovieInfoClick();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].contains("Filename:\t" + Clip640() + "\n\r"))
        << script.messages[0].toStdString();
    EXPECT_TRUE(script.messages[0].contains("640")) << script.messages[0].toStdString();
    // And back: the built-in player's movie.
    form().chkBSP->setChecked(false);
    playback().cmdMovieInfoClick();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_TRUE(script.messages[1].contains("Filename:\t" + Clip320() + "\n\r"));
}

TEST_F(ExternalControls, AFileThePlayerCannotPlayLeavesNoMovieBehind) {
    openInPlayer(Clip320());
    ASSERT_TRUE(playback().mediaLoaded());
    openInPlayer(NotMedia());
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0],
              "Cannot open media file " + NotMedia() + ": the external player cannot play it");
    EXPECT_FALSE(playback().mediaLoaded());
    EXPECT_EQ(form().pgrBar->value(), 0);
    EXPECT_EQ(form().windowTitle(), "Velkar");
    EXPECT_FALSE(button("btPlay")->isEnabled());

    // A pipe is refused before the player hears of it, at once.
    const QString fifo = folder.filePath(QStringLiteral("pipe.avi"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    script.messages.clear();
    script.files.push_back(fifo);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form().cmdOpenMovie, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 1000);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].startsWith("Cannot open media file " + fifo + ": it is not"));
}

TEST_F(ExternalControls, ClosingWithAStoppedPlayerIsImmediateAndThePlayerStillEnds) {
    openInPlayer(Clip320());
    const std::int32_t player = external().processId();
    ASSERT_NE(player, 0);
    ASSERT_EQ(::kill(player, SIGSTOP), 0);
    EXPECT_LT(timedClose(), kCloseMs);
    EXPECT_TRUE(script.messages.empty());
    // quit unanswered (0.5 s), SIGTERM, and the wait for it (2 s at most).
    EXPECT_TRUE(WaitFor([&] { return Gone(player); }, 5000));
}

TEST_F(ExternalControls, ClosingWhileAPlayerNeverAnswersIsImmediateAndItIsKilled) {
    form().setBspPath(mutePlayer("mute-player"));
    openMovie(Clip320());
    // Linked: the open now waits for answers that never come.
    ASSERT_TRUE(WaitFor([&] { return external().processId() != 0; }, 5000));
    const int player = startedPid("mute-player");
    ASSERT_NE(player, 0);
    EXPECT_LT(timedClose(), kCloseMs);
    EXPECT_EQ(finished, 0);
    // SIGTERM is ignored: SIGKILL follows within 2 s.
    EXPECT_TRUE(WaitFor([&] { return Gone(player); }, 5000));
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(ExternalControls, ThePlayersLetGoAreReapedBeforeTheProgramGoesOn) {
    openInPlayer(Clip320());
    const std::int32_t player = external().processId();
    ASSERT_EQ(::kill(player, SIGSTOP), 0);
    form().close();
    ExternalPlayer::awaitEndedPlayers();
    EXPECT_TRUE(Gone(player));
}

// Tests that bound how long closing takes: run alone, and only in the plain build.
class ExternalControlsTiming : public ExternalControls {};

TEST_F(ExternalControlsTiming, ClosingWhileAnOlderPlayerIsStillEndingIsImmediate) {
    ExternalPlayer::Options options;
    options.arguments = {"--vo=null", "--ao=null", "--force-window=no", "--pause"};
    options.waits.start = 5s;
    options.waits.reply = 200ms; // the mute player's open gives up soon
    external().setOptions(options);
    form().setBspPath(mutePlayer("mute-player"));
    openInPlayer(Clip320());
    ASSERT_EQ(script.messages.size(), 1u); // it cannot play it
    const int older = startedPid("mute-player");
    ASSERT_NE(older, 0);
    ASSERT_EQ(external().processId(), older);

    // The user locates another player: the next open ends the older one first, which takes
    // quit unanswered, SIGTERM ignored and SIGKILL 2 s later.
    script.files = {QStringLiteral("/usr/bin/mpv")};
    form().cmdBSPClick();
    openMovie(Clip320());
    ASSERT_TRUE(WaitFor([&] { return received("mute-player").contains("\"quit\""); }, 3000));
    QElapsedTimer clock;
    clock.start();
    form().close();
    EXPECT_LT(clock.elapsed(), 1000); // it took about 2.7 s
    EXPECT_EQ(script.messages.size(), 1u);
    // The older player still gets SIGKILL within 2 s of SIGTERM, and is reaped.
    ExternalPlayer::awaitEndedPlayers();
    EXPECT_LT(clock.elapsed(), 2000 + 1000);
    EXPECT_TRUE(Gone(older));
}

} // namespace
} // namespace velkar::playback::test
