#pragma once
// What the main-window tests of this folder share: dialog answers from a script, and a fixture
// that starts the windows with a settings file in a fresh folder and opens movies and
// subtitle files through the window's own commands.

#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
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

} // namespace velkar::playback::test
