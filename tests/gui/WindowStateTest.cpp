// The window shows one state at a time: after a damaged file is declined there is no document
// anywhere, and commands that need one say so; the title names the program once.

#include "GuiTest.h"

#include "frmMain/MaskedTimeEdit.h"
#include "subs/TfrmSubs.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace velkar::gui::test {
namespace {

const char kNoDocument[] = "No Subtitle file is open. Open one with Open Subtitle first.";

class WindowState : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
    }
    // Presses each command that works on a document; gives the messages they showed.
    std::vector<QString> pressDocumentCommands() {
        dialogs.messages.clear();
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
                 form().cmdEdit, form().cmdSubInfo, form().cmdStretch, form().cmdSelect1,
                 form().cmdSelect2, form().cmdSave})
            button->click();
        return dialogs.messages;
    }
};

TEST_F(WindowState, DecliningADamagedFileLeavesNoDocumentAnywhere) {
    openBytes("1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
              "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n",
              QStringLiteral("good.srt"));
    form().txtFirst->setText(QStringLiteral("00:00:02,000"));
    form().txtLast->setText(QStringLiteral("00:00:08,000"));
    form().cmdStretch->click();
    ASSERT_FALSE(form().lblResult->text().isEmpty());
    dialogs.answers.push_back(Answer::No); // the re-timed file is not saved
    dialogs.answers.push_back(Answer::No); // nor the damaged one edited
    dialogs.files.push_back(tempPath(QStringLiteral("damaged.srt")));
    // A negative time: no mending puts it right, so the damaged-file question is asked.
    WriteBytes(tempPath(QStringLiteral("damaged.srt")),
               "1\r\n-00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
               "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n");
    form().cmdOpenSubtitle->click();
    ASSERT_EQ(dialogs.questions.size(), 2u);

    EXPECT_FALSE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().windowTitle(), "Velkar");
    EXPECT_FALSE(form().isWindowModified());
    EXPECT_EQ(form().lblResult->text(), "");
    EXPECT_EQ(form().cboDialogs->count(), 0);
    EXPECT_EQ(windows().frmSubs().lstSubs->count(), 0);
    EXPECT_EQ(form().txtFirst->toolTip(), "");
    EXPECT_EQ(form().txtFirst->text(), MaskedTimeEdit::ResetText(form().txtFirst->mask()));
    EXPECT_EQ(form().txtLast->text(), MaskedTimeEdit::ResetText(form().txtLast->mask()));

    EXPECT_EQ(pressDocumentCommands(), std::vector<QString>(6, QString::fromLatin1(kNoDocument)));
}

TEST_F(WindowState, CommandsThatNeedADocumentSaySoAtStartUp) {
    EXPECT_EQ(pressDocumentCommands(), std::vector<QString>(6, QString::fromLatin1(kNoDocument)));
}

TEST_F(WindowState, TheTitleNamesTheProgramOnce) {
    // The window system adds a display name to every title that does not end with it: none is
    // set, so the title is all there is.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    const struct {
        const char* movie;
        bool document;
        const char* title;
    } cases[] = {{"", false, "Velkar"},
                 {"hd.mkv", false, "Velkar - hd.mkv"},
                 {"", true, "subs.srt[*] - Velkar"},
                 {"hd.mkv", true, "subs.srt[*] - Velkar - hd.mkv"}};
    for (const auto& c : cases) {
        if (c.document)
            openBytes("1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n");
        form().setMovieName(QString::fromLatin1(c.movie));
        EXPECT_EQ(form().windowTitle(), c.title);
        EXPECT_EQ(form().windowTitle().count(QStringLiteral("Velkar")), 1) << c.title;
    }
}

} // namespace
} // namespace velkar::gui::test
