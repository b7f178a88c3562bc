#pragma once
// What the main-window tests of this folder share: dialog answers from a script, a fixture
// that starts the windows with a settings file in a fresh folder and opens movies and
// subtitle files through the window's own commands, and two built on it: the built-in player
// without picture or sound, and a real mpv as the external player.

#include "TestMedia.h"
#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "playback/ExternalPlayer.h"
#include "playback/MpvIpc.h"
#include "playback/PositionBar.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace velkar::playback::test {

// Answers "open" file dialogs from `files` in order (a null path, or an empty queue, cancels);
// "save" dialogs, questions and the font dialog are cancelled or answered No.
class Script : public gui::UserDialogs {
  public:
    std::deque<QString> files;
    std::vector<gui::FileRequest> requests; // every "open" dialog asked for, in order
    std::vector<QString> messages;          // every message box's text, in order

    std::optional<QString> openFile(QWidget*, const gui::FileRequest& request) override {
        requests.push_back(request);
        if (files.empty())
            return std::nullopt;
        QString path = files.front();
        files.pop_front();
        if (path.isNull())
            return std::nullopt;
        return path;
    }
    std::optional<QString> saveFile(QWidget*, const gui::FileRequest&) override {
        return std::nullopt;
    }
    void information(QWidget*, const QString&, const QString& text) override {
        messages.push_back(text);
    }
    gui::Answer question(QWidget*, const QString&, const QString&, bool) override {
        return gui::Answer::No;
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return std::nullopt; }
};

// The windows, started as the program does with `script` answering their dialogs. The tests
// drive the timers' handlers themselves, so both timers are stopped.
class WindowFixture : public testing::Test {
  protected:
    void startWindows() {
        gui::SetUserDialogs(&script);
        windows = std::make_unique<gui::Windows>(folder.filePath(QStringLiteral("tavrel.ini")));
        form().tmrSub->stop();
        form().tmrScroll->stop();
    }
    void TearDown() override {
        windows.reset();
        gui::SetUserDialogs(nullptr);
    }

    gui::TForm1& form() const { return windows->Form1(); }
    gui::PlaybackCommands& playback() const { return form().playback(); }
    PositionBar& bar() const { return playback().Bar(); }
    // One of the player's own buttons (btPlay, btPause, btStop, btPrev, ...).
    QToolButton* button(const char* name) const {
        return form().Mplayer->findChild<QToolButton*>(QString::fromLatin1(name));
    }

    // "Open Media" with `path` chosen in its dialog.
    void openMovie(const QString& path) {
        ASSERT_FALSE(path.isEmpty());
        script.files.push_back(path);
        playback().cmdOpenMovieClick();
    }
    // Writes `bytes` to the file `name` of the test's folder and opens it with "Open Subtitle".
    void openSubtitles(const char* bytes, const char* name) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        script.files.push_back(path);
        form().cmdOpenSubtitleClick();
        ASSERT_TRUE(form().document().SubtitleLoaded);
    }

    QTemporaryDir folder;
    Script script;
    std::unique_ptr<gui::Windows> windows;
};

// The windows with the built-in player, which plays without picture or sound, shown.
class BuiltInWindowFixture : public WindowFixture {
  protected:
    void SetUp() override {
        startWindows();
        playback().playerOptions().picture = false;
        playback().playerOptions().audioOutput = QStringLiteral("null");
        form().show();
    }
};

// The windows with "Use BSP" ticked and /usr/bin/mpv located as the external player, which
// starts paused, without picture or sound; skipped where mpv or ffmpeg is missing. Every
// player let go of has ended when a test is over.
class ExternalWindowFixture : public WindowFixture {
  protected:
    void SetUp() override {
        using namespace std::chrono_literals;
        if (!QFileInfo(QStringLiteral("/usr/bin/mpv")).isExecutable() || Clip320().isEmpty())
            GTEST_SKIP() << "mpv or ffmpeg is not installed";
        startWindows();
        ExternalPlayer::Options options;
        options.arguments = {"--vo=null", "--ao=null", "--force-window=no", "--pause"};
        options.waits.start = 5s;
        options.waits.reply = 1s;
        external().setOptions(options);
        QObject::connect(&external(), &MediaPlayer::opened, [this] { ++finished; });
        QObject::connect(&external(), &MediaPlayer::openFailed, [this] { ++finished; });
        form().setBspPath(QStringLiteral("/usr/bin/mpv"));
        form().chkBSP->setChecked(true);
        form().show();
    }
    void TearDown() override {
        WindowFixture::TearDown();
        ExternalPlayer::awaitEndedPlayers();
    }

    ExternalPlayer& external() const { return playback().External(); }
    // "Open Media" with `path`, and the wait for the player to take it (or to fail).
    void openInPlayer(const QString& path, int timeoutMs = 10000) {
        const int before = finished;
        openMovie(path);
        ASSERT_TRUE(WaitFor([&] { return finished > before; }, timeoutMs));
    }
    // What the external player says, asked on a connection of the test's own.
    nlohmann::json playerProperty(const char* name) {
        MpvIpcClient client;
        if (!client.connect(external().socketPath()))
            return {};
        return client.request({"get_property", name}, std::chrono::seconds(2))
            .value_or(nlohmann::json());
    }

    int finished = 0; // opens of the external player that ended, either way
};

} // namespace velkar::playback::test
