// Unsaved changes: which commands make them, the caption's mark, and the question "Save changes
// to NAME?" on every path that would drop them.

#include "GuiTest.h"

#include "edit/TfrmEdit.h"
#include "frmMain/MaskedTimeEdit.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace velkar::gui::test {
namespace {

const std::string kThreeSubtitles = "1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
                                    "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n"
                                    "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n";
// The same, re-timed to start at 2 s and end the last anchor at 20 s.
const std::string kRetimed = "1\r\n00:00:02,000 --> 00:00:06,000\r\nOne\r\n\r\n"
                             "2\r\n00:00:08,000 --> 00:00:12,000\r\nTwo\r\n\r\n"
                             "3\r\n00:00:20,000 --> 00:00:24,000\r\nThree\r\n";
const std::string kOther = "1\r\n00:00:05,000 --> 00:00:06,000\r\nOther\r\n";

class UnsavedChanges : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
        openBytes(kThreeSubtitles, QStringLiteral("film.srt"));
        ASSERT_TRUE(form().document().SubtitleLoaded);
    }
    void retime() {
        form().txtFirst->setText(QStringLiteral("00:00:02,000"));
        form().txtLast->setText(QStringLiteral("00:00:20,000"));
        form().cmdStretch->click();
        ASSERT_TRUE(form().documentModified());
    }
    // Opens the editor, lets `edit` change its text, and answers "Save Changes" with Yes.
    void editAndSave(std::function<void(TfrmEdit*)> edit) {
        modal.then([this, edit](QWidget* w) {
            auto* editor = qobject_cast<TfrmEdit*>(w);
            ASSERT_NE(editor, nullptr);
            edit(editor);
            dialogs.answers.push_back(Answer::Yes);
            editor->cmdSave->click();
        });
        form().cmdEdit->click();
    }
};

TEST_F(UnsavedChanges, OpeningShowsTheFileNameUnmarked) {
    EXPECT_FALSE(form().documentModified());
    EXPECT_EQ(form().windowTitle(), "film.srt[*] - Velkar");
    EXPECT_FALSE(form().isWindowModified());
}

TEST_F(UnsavedChanges, FixSynchMarksTheDocumentAndSavingClearsTheMark) {
    retime();
    EXPECT_TRUE(form().isWindowModified());
    dialogs.files.push_back(tempPath("fixed.srt"));
    form().cmdSave->click();
    EXPECT_FALSE(form().documentModified());
    EXPECT_FALSE(form().isWindowModified());
    EXPECT_EQ(form().windowTitle(), "fixed.srt[*] - Velkar");
}

TEST_F(UnsavedChanges, AFailedSaveKeepsTheMark) {
    retime();
    dialogs.files.push_back(tempPath("no/such/folder/fixed.srt"));
    form().cmdSave->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(form().documentModified());
    EXPECT_EQ(form().windowTitle(), "film.srt[*] - Velkar");
}

TEST_F(UnsavedChanges, ASaveThatFailsAfterYesKeepsTheWindowOpen) {
    retime();
    dialogs.answers.push_back(Answer::Yes);
    dialogs.files.push_back(tempPath("no/such/folder/fixed.srt"));
    QTest::keyClick(form().cmdSave, Qt::Key_Escape);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Cannot create file " + tempPath("no/such/folder/fixed.srt") +
                                       ": No such file or directory");
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(form().documentModified());
}

TEST_F(UnsavedChanges, TheEditorMarksOnlyAChangedText) {
    editAndSave([](TfrmEdit*) {});
    EXPECT_FALSE(form().documentModified());
    editAndSave([](TfrmEdit* editor) {
        QString text = editor->memoEdit->toPlainText();
        editor->memoEdit->setPlainText(text.replace(QStringLiteral("Two"), QStringLiteral("Deux")));
    });
    EXPECT_TRUE(form().documentModified());
}

TEST_F(UnsavedChanges, OpeningAnotherFileClearsTheMark) {
    retime();
    dialogs.answers.push_back(Answer::No);
    openBytes(kOther, QStringLiteral("other.srt"));
    EXPECT_FALSE(form().documentModified());
    EXPECT_EQ(form().windowTitle(), "other.srt[*] - Velkar");
}

TEST_F(UnsavedChanges, ACreatedDocumentIsUntitledAndUnmarkedUntilASubtitleIsMade) {
    form().cmdCreate->click();
    EXPECT_EQ(form().windowTitle(), "Untitled[*] - Velkar");
    EXPECT_FALSE(form().documentModified());
    // Nothing to lose yet: Escape ends at once.
    QTest::keyClick(form().cmdView, Qt::Key_Escape);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(form().isVisible());
}

// --- The question on each path ----------------------------------------------------------------

enum class Path { Escape, CloseBox, OpenSubtitle, CreateSubs, LoadText };
enum class Reply { Yes, YesThenCancelTheSave, No, Cancel };

struct QuestionCase {
    Path path;
    Reply reply;
};

std::string PathName(Path path) {
    static const char* const paths[] = {"Escape", "CloseBox", "OpenSubtitle", "CreateSubs",
                                        "LoadText"};
    return paths[int(path)];
}

std::string Name(const testing::TestParamInfo<QuestionCase>& info) {
    static const char* const replies[] = {"Yes", "YesThenCancelTheSave", "No", "Cancel"};
    return PathName(info.param.path) + "_" + replies[int(info.param.reply)];
}

class PathsOut : public UnsavedChanges {
  protected:
    // Takes `path`; the dialogs it shows once it goes on are answered here (the open dialogs
    // are cancelled).
    void take(Path path) {
        switch (path) {
        case Path::Escape:
            QTest::keyClick(form().cmdSave, Qt::Key_Escape);
            break;
        case Path::CloseBox:
            form().close();
            break;
        case Path::OpenSubtitle:
            dialogs.files.push_back(tempPath("other.srt"));
            form().cmdOpenSubtitle->click();
            break;
        case Path::CreateSubs:
            form().cmdCreate->click();
            break;
        case Path::LoadText:
            dialogs.files.push_back(QString());
            form().cmdLoadText->click();
            break;
        }
    }
    // Whether the path went on past the question.
    bool wentOn(Path path) const {
        switch (path) {
        case Path::Escape:
        case Path::CloseBox:
            return !form().isVisible();
        case Path::OpenSubtitle:
            return form().windowTitle() == "other.srt[*] - Velkar";
        case Path::CreateSubs:
            return form().document().SubtitleFormat == sfSubViewer2;
        case Path::LoadText:
            return !dialogs.fileRequests.empty() &&
                   dialogs.fileRequests.back().title == "Open Subtitle Plain Text File";
        }
        return false;
    }
};

class AskingOnEveryPath : public PathsOut, public testing::WithParamInterface<QuestionCase> {};

TEST_P(AskingOnEveryPath, YesSavesFirstNoDropsCancelKeeps) {
    const auto [path, reply] = GetParam();
    WriteBytes(tempPath("other.srt"), kOther);
    retime();
    // "Load Text" is a button of the creation and repair layouts.
    if (path == Path::LoadText)
        form().chkRepair->click();
    switch (reply) {
    case Reply::Yes:
        dialogs.answers.push_back(Answer::Yes);
        dialogs.files.push_back(tempPath("saved.srt"));
        break;
    case Reply::YesThenCancelTheSave:
        dialogs.answers.push_back(Answer::Yes);
        dialogs.files.push_back(QString());
        break;
    case Reply::No:
        dialogs.answers.push_back(Answer::No);
        break;
    case Reply::Cancel:
        dialogs.answers.push_back(Answer::Cancel);
        break;
    }
    const bool goesOn = reply == Reply::Yes || reply == Reply::No;
    take(path);
    if (!goesOn) // nothing after the question ran: the path's own dialog never came
        dialogs.files.clear();

    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Save changes to film.srt?");
    EXPECT_EQ(dialogs.titles[0], "Velkar");
    EXPECT_EQ(wentOn(path), goesOn);
    EXPECT_EQ(QFile::exists(tempPath("saved.srt")), reply == Reply::Yes);
    if (reply == Reply::Yes) {
        EXPECT_EQ(ReadBytes(tempPath("saved.srt")), kRetimed);
    }
    if (!goesOn) {
        // Everything as it was: the re-timed lines, unsaved, in the same window.
        EXPECT_TRUE(form().isVisible());
        EXPECT_TRUE(form().documentModified());
        EXPECT_EQ(form().document().SubtitleLines[1], "00:00:02,000 --> 00:00:06,000");
    }
    EXPECT_EQ(ReadBytes(tempPath("film.srt")), kThreeSubtitles);
}

class NothingToAsk : public PathsOut, public testing::WithParamInterface<Path> {};

TEST_P(NothingToAsk, WhileNothingChangedEveryPathGoesOnAtOnce) {
    const Path path = GetParam();
    if (path == Path::LoadText)
        form().chkRepair->click();
    WriteBytes(tempPath("other.srt"), kOther);
    take(path);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(wentOn(path));
}

std::vector<QuestionCase> AllCases() {
    std::vector<QuestionCase> cases;
    for (Path path :
         {Path::Escape, Path::CloseBox, Path::OpenSubtitle, Path::CreateSubs, Path::LoadText})
        for (Reply reply : {Reply::Yes, Reply::YesThenCancelTheSave, Reply::No, Reply::Cancel})
            cases.push_back({path, reply});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(UnsavedChanges, AskingOnEveryPath, testing::ValuesIn(AllCases()), Name);
INSTANTIATE_TEST_SUITE_P(UnsavedChanges, NothingToAsk,
                         testing::Values(Path::Escape, Path::CloseBox, Path::OpenSubtitle,
                                         Path::CreateSubs, Path::LoadText),
                         [](const testing::TestParamInfo<Path>& info) {
                             return PathName(info.param);
                         });

} // namespace
} // namespace velkar::gui::test
