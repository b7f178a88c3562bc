// Undo and redo in the main window: each change of the document is one step, the keys and the
// unsaved mark follow the history, and the lines come back byte for byte.

#include "GuiTest.h"

#include "document/LineIo.h"
#include "edit/TfrmEdit.h"
#include "frmMain/MaskedTimeEdit.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace velkar::gui::test {
namespace {

const std::string kFilm = "1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
                          "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n"
                          "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n";

class Undo : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
        openBytes(kFilm, QStringLiteral("film.srt"));
        ASSERT_TRUE(form().document().SubtitleLoaded);
    }
    std::string bytes() { return velkar::SubtitleFileBytes(form().document()); }
    void fixSynch(const char* first, const char* last) {
        form().txtFirst->setText(QString::fromLatin1(first));
        form().txtLast->setText(QString::fromLatin1(last));
        form().cmdStretch->click();
    }
    void edit(const QString& from, const QString& to) {
        modal.then([this, from, to](QWidget* w) {
            auto* editor = qobject_cast<TfrmEdit*>(w);
            ASSERT_NE(editor, nullptr);
            QString text = editor->memoEdit->toPlainText();
            editor->memoEdit->setPlainText(text.replace(from, to));
            dialogs.answers.push_back(Answer::Yes);
            editor->cmdSave->click();
        });
        form().cmdEdit->click();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        form().cmdOpenSubtitle->setFocus(); // not a text field, which has its own undo
        QTest::keyClick(form().cmdOpenSubtitle, key, modifiers);
    }
};

TEST_F(Undo, EachChangeIsOneStepBackAndForthByTheKeys) {
    EXPECT_FALSE(form().canUndo());
    fixSynch("00:00:02,000", "00:00:20,000");
    const std::string retimed = bytes();
    edit(QStringLiteral("Two"), QStringLiteral("Deux"));
    const std::string edited = bytes();
    ASSERT_NE(edited, retimed);
    ASSERT_EQ(form().document().SubtitleTexts[1], "Deux");

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(bytes(), retimed);
    EXPECT_EQ(form().document().SubtitleTexts[1], "Two");
    EXPECT_TRUE(form().isWindowModified());
    EXPECT_EQ(form().lblResult->text(), "Undone");
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(bytes(), kFilm);
    EXPECT_FALSE(form().isWindowModified()); // what the file holds
    EXPECT_EQ(form().document().start(2), 10000);
    EXPECT_FALSE(form().canUndo());
    key(Qt::Key_Z, Qt::ControlModifier); // nothing left: nothing happens
    EXPECT_EQ(bytes(), kFilm);

    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(bytes(), retimed);
    EXPECT_EQ(form().document().start(2), 20000);
    EXPECT_TRUE(form().isWindowModified());
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(bytes(), edited);
    EXPECT_FALSE(form().canRedo());
}

TEST_F(Undo, ANewChangeAfterUndoDropsTheStepsThatCouldBeRedone) {
    fixSynch("00:00:02,000", "00:00:20,000");
    form().undoChange();
    fixSynch("00:00:01,500", "00:00:10,500");
    EXPECT_FALSE(form().canRedo());
    form().undoChange();
    EXPECT_EQ(bytes(), kFilm);
    EXPECT_FALSE(form().canUndo());
}

TEST_F(Undo, TheSavedStateIsTheOneWithoutTheMark) {
    fixSynch("00:00:02,000", "00:00:20,000");
    dialogs.files.push_back(tempPath("fixed.srt"));
    form().cmdSave->click();
    ASSERT_FALSE(form().isWindowModified());
    form().undoChange(); // back to what film.srt holds, but the document is fixed.srt now
    EXPECT_EQ(bytes(), kFilm);
    EXPECT_TRUE(form().isWindowModified());
    EXPECT_EQ(form().document().SubtitleFileName, tempPath("fixed.srt").toStdString());
    form().redoChange();
    EXPECT_FALSE(form().isWindowModified());
    // Saving the undone state again and redoing: the redone one is not on disk.
    form().undoChange();
    dialogs.files.push_back(tempPath("again.srt"));
    form().cmdSave->click();
    form().redoChange();
    EXPECT_TRUE(form().isWindowModified());
}

TEST_F(Undo, OpeningAnotherFileStartsAFreshHistory) {
    fixSynch("00:00:02,000", "00:00:20,000");
    dialogs.answers.push_back(Answer::No); // do not save the changes
    dialogs.files.push_back(tempPath("film.srt"));
    form().cmdOpenSubtitle->click();
    EXPECT_FALSE(form().canUndo());
    EXPECT_FALSE(form().canRedo());
}

} // namespace
} // namespace velkar::gui::test
