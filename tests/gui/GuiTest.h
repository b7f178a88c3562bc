#pragma once
// What the window tests share: scripted answers for the dialog seam, a script for modal
// windows, and a fixture that starts the five windows with a settings file in a fresh folder.

#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/TForm1.h"

#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace velkar::gui::test {

// Answers file dialogs, questions and the font dialog from queues, and records every message.
// An unexpected dialog (nothing queued) counts as a failure and is answered with Cancel.
class ScriptedDialogs : public UserDialogs {
  public:
    // Chosen paths in order; a null QString cancels the dialog.
    std::deque<QString> files;
    std::deque<Answer> answers;
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<int>> choices; // buttons pressed in choice boxes (nothing: closed)
    std::vector<QString> choiceTexts;       // texts of choice boxes, in order
    std::vector<QStringList> choiceButtons; // their buttons

    std::vector<FileRequest> fileRequests;
    std::vector<QString> messages;  // information boxes, in order
    std::vector<QString> questions; // question texts, in order
    std::vector<QString> titles;    // captions of information boxes and questions
    // Runs when an information box comes up, to look at the windows at that moment.
    std::function<void(const QString&)> onInformation;

    std::optional<QString> openFile(QWidget*, const FileRequest& request) override;
    // Like the platform's dialog, adds the default suffix to a name typed without one.
    std::optional<QString> saveFile(QWidget*, const FileRequest& request) override;
    void information(QWidget*, const QString& title, const QString& text) override;
    Answer question(QWidget*, const QString& title, const QString& text, bool withCancel) override;
    std::optional<QFont> chooseFont(QWidget*, const QFont& current) override;
    std::optional<int> choose(QWidget*, const QString& title, const QString& text,
                              const QStringList& buttons) override;
};

// Acts on modal windows while they run: each queued action gets the modal window that comes up
// next and must close it. A modal window with no action left is rejected and counted.
class ModalScript {
  public:
    ModalScript();
    void then(std::function<void(QWidget*)> action) { m_actions.push_back(std::move(action)); }
    int unexpected() const { return m_unexpected; }
    bool done() const { return m_actions.empty(); }

  private:
    void poll();
    std::deque<std::function<void(QWidget*)>> m_actions;
    QTimer m_timer;
    int m_unexpected = 0;
    bool m_running = false;
};

// The corpus file at `relative` (for example "srt/gaupol-2008-subrip.sample.srt"); empty when
// the corpus is not there.
QString CorpusFile(const char* relative);
std::string ReadBytes(const QString& path);
void WriteBytes(const QString& path, const std::string& bytes);
// The lines a file reads as (split as every subtitle file is).
std::vector<std::string> FileLines(const QString& path);

class GuiTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the windows as the program does; the settings file is settingsPath().
    void start();
    QString settingsPath() const { return m_folder.filePath(QStringLiteral("tavrel.ini")); }
    QString tempPath(const QString& name) const { return m_folder.filePath(name); }
    TForm1& form() const { return m_windows->Form1(); }
    Windows& windows() const { return *m_windows; }
    // Opens `path` with "Open Subtitle".
    void open(const QString& path);
    // Opens a corpus file; skips the test when the corpus is missing.
    bool openCorpus(const char* relative);
    // Writes `bytes` to a new file in the test's folder and opens it.
    void openBytes(const std::string& bytes, const QString& name = QStringLiteral("subs.srt"));
    // Closes the main window as the user does (settings are written).
    void closeMain();

    ScriptedDialogs dialogs;
    ModalScript modal;

  private:
    QTemporaryDir m_folder;
    std::unique_ptr<Windows> m_windows;
};

} // namespace velkar::gui::test

// Opens a corpus file in a GuiTest, or skips the test when the corpus is not there.
#define VELKAR_OPEN_CORPUS(relative)                                                               \
    do {                                                                                           \
        if (!openCorpus(relative))                                                                 \
            GTEST_SKIP() << "corpus file missing: " << (relative);                                 \
    } while (false)
