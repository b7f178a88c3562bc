// "Create Subs", "Load Text" and the Dialog Start / Dialog End presses, with the real player
// paused at known positions before each press, and "Save As..." of the created document.

#include "PlayingMovie.h"
#include "authoring/Creation.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <gmock/gmock.h>

namespace velkar::gui::test {
namespace {

using testing::ElementsAre;

std::vector<std::string> Header() {
    return {velkar::kCreatedHeader.begin(), velkar::kCreatedHeader.end()};
}

std::vector<std::string> HeaderAnd(std::vector<std::string> lines) {
    std::vector<std::string> all = Header();
    all.insert(all.end(), lines.begin(), lines.end());
    return all;
}

QStringList Entries(const QComboBox* box) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries << box->itemText(i);
    return entries;
}

QStringList Entries(const RowListView* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->text(i);
    return entries;
}

class Creation : public PlayingMovieTest {
  protected:
    RowListView& viewerList() const { return *form().viewer()->lstSubs; }
    // The synchronisation layout's controls, all shown there and hidden while creating.
    std::vector<QWidget*> syncControls() const {
        TForm1& f = form();
        return {f.cmdEdit,         f.cmdSelect1, f.cmdSelect2, f.cboRegression,
                f.Label3,          f.cmdStretch, f.cmdFirst,   f.cmdLast,
                f.cmdOpenSubtitle, f.cmdCreate,  f.cmdSubInfo};
    }
};

TEST_F(Creation, CreateSubsStartsAnEmptySubViewerDocumentInTheCreationLayout) {
    start();
    // A MicroDVD document first: its frames and its subtitles must go.
    openBytes("{0}{25}Zero\r\n{50}{75}One\r\n", QStringLiteral("old.sub"));
    ASSERT_EQ(form().player().unit(), playback::PlayerUnit::Frames);
    form().cmdCreate->click();

    for (QWidget* control : syncControls())
        EXPECT_TRUE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_FALSE(form().cmdLoadText->isHidden());
    EXPECT_FALSE(form().cmdStartEnd->isHidden());
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog Start");
    EXPECT_EQ(form().cmdView->geometry(), QRect(3, 80, 75, 18));
    EXPECT_FALSE(form().txtFirst->isHidden());
    EXPECT_FALSE(form().txtLast->isHidden());
    EXPECT_EQ(form().txtFirst->text(), "00:00:00.00");
    EXPECT_EQ(form().txtLast->text(), "00:00:00.00");
    EXPECT_EQ(form().txtFirst->mask(), MaskedTimeEdit::Mask::HundredthsClock);

    const velkar::SubtitleDocument& doc = form().document();
    EXPECT_EQ(doc.SubtitleLines, Header());
    EXPECT_EQ(doc.SubtitleCount, 0);
    EXPECT_EQ(doc.SubtitleFormat, velkar::sfSubViewer2);
    EXPECT_TRUE(doc.SubtitleLoaded);
    EXPECT_EQ(doc.FirstTimeLine, 12);
    EXPECT_EQ(form().cboDialogs->count(), 0);
    EXPECT_EQ(form().player().unit(), playback::PlayerUnit::Milliseconds);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Creation, ThreeDialogsFromATwoLineText) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    loadText("Where are you going?\r\nDown to the harbour.\r\n");
    EXPECT_EQ(Entries(&viewerList()),
              QStringList({"", "Where are you going?", "", "Down to the harbour."}));
    // The viewer's "Auto Scroll" does not hold back the presses' selection.
    form().viewer()->chkScroll->setChecked(false);

    pressAt(62360);
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog End");
    EXPECT_EQ(form().txtFirst->text(), "00:01:02.36");
    EXPECT_EQ(viewerList().currentRow(), 1);
    EXPECT_EQ(form().document().SubtitleCount, 1);
    // Started, not ended: no lines yet and no entry in the dialog list.
    EXPECT_EQ(form().document().SubtitleLines.size(), 12u);
    EXPECT_EQ(form().cboDialogs->count(), 0);

    pressAt(64800);
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog Start");
    EXPECT_EQ(form().txtLast->text(), "00:01:04.80");
    EXPECT_EQ(viewerList().currentRow(), 2);
    EXPECT_EQ(form().cboDialogs->currentIndex(), 0);

    pressAt(70000);
    EXPECT_EQ(viewerList().currentRow(), 3);
    pressAt(71040);
    // Entry 2n = 4 lies past the list's last entry: the selection stays.
    EXPECT_EQ(viewerList().currentRow(), 3);
    // The text has run out: the third dialog gets the placeholder and selects nothing.
    viewerList().setCurrentRow(0);
    pressAt(80000);
    pressAt(99000);
    EXPECT_EQ(viewerList().currentRow(), 0);

    EXPECT_EQ(
        Entries(form().cboDialogs),
        QStringList({"1) Where are you going?", "2) Down to the harbour.", "3) Insert text Here"}));
    EXPECT_EQ(form().cboDialogs->currentIndex(), 2);
    const velkar::SubtitleDocument& doc = form().document();
    EXPECT_EQ(doc.SubtitleLines, HeaderAnd({"00:01:02.36,00:01:04.80", "Where are you going?", "",
                                            "00:01:10.00,00:01:11.04", "Down to the harbour.", "",
                                            "00:01:20.00,00:01:39.00", "Insert text Here", ""}));
    EXPECT_EQ(doc.SubtitleTexts[2], "Insert text Here");
    // The anchors follow the count, so Fix Synch works on the new document.
    EXPECT_EQ(doc.FirstAnchor, 0);
    EXPECT_EQ(doc.LastAnchor, 2);
    EXPECT_EQ(doc.SubtitleLineIndex[0], 1);
    EXPECT_EQ(doc.SubtitleLineIndex[1], 3);
}

TEST_F(Creation, EachCreatedDialogIsOneStepToUndo) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    loadText("Where are you going?\r\nDown to the harbour.\r\n");
    pressAt(62360);
    pressAt(64800);
    pressAt(70000);
    pressAt(71040);
    ASSERT_EQ(form().document().SubtitleCount, 2);
    form().undoChange();
    EXPECT_EQ(form().document().SubtitleCount, 1);
    EXPECT_EQ(Entries(form().cboDialogs), QStringList({"1) Where are you going?"}));
    EXPECT_TRUE(form().isWindowModified());
    form().undoChange();
    EXPECT_EQ(form().document().SubtitleCount, 0);
    EXPECT_FALSE(form().isWindowModified()); // the empty document it started as
    form().redoChange();
    EXPECT_EQ(form().document().SubtitleCount, 1);
    // A dialog started and undone is dropped: the next press starts one.
    pressAt(80000);
    form().undoChange();
    EXPECT_EQ(form().document().SubtitleCount, 0);
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog Start");
    pressAt(90000);
    pressAt(91000);
    EXPECT_EQ(form().document().SubtitleCount, 1);
    EXPECT_EQ(form().document().SubtitleLines,
              HeaderAnd({"00:01:30.00,00:01:31.00", "Where are you going?", ""}));
}

TEST_F(Creation, SaveAsWithNoDialogWritesTheHeaderAndBringsBackTheSynchronisationLayout) {
    start();
    form().cmdCreate->click();
    // A name without extension gets ".sub".
    saveAs(QStringLiteral("new"));
    EXPECT_EQ(FileLines(tempPath(QStringLiteral("new.sub"))), Header());

    for (QWidget* control : syncControls())
        EXPECT_FALSE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_TRUE(form().cmdLoadText->isHidden());
    EXPECT_TRUE(form().cmdStartEnd->isHidden());
    // The repair of a single dialog stays at hand, switched off.
    EXPECT_FALSE(form().chkRepair->isHidden());
    EXPECT_FALSE(form().chkRepair->isChecked());
    EXPECT_FALSE(form().cboDialogs->isHidden());
    EXPECT_FALSE(form().cboDialogs->isEnabled());
    EXPECT_EQ(form().cmdView->geometry(), QRect(56, 102, 55, 18));
}

TEST_F(Creation, TheResultRowOfAnEarlierFixSynchIsClearedWhenCreating) {
    start();
    openBytes("1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n"
              "2\r\n00:00:05,000 --> 00:00:06,000\r\nTwo\r\n");
    form().txtFirst->setText(QStringLiteral("00:00:02,000"));
    form().txtLast->setText(QStringLiteral("00:00:06,000"));
    form().cmdStretch->click();
    ASSERT_FALSE(form().lblResult->text().isEmpty());
    dialogs.answers.push_back(Answer::No); // the re-timed document is not saved
    form().cmdCreate->click();
    EXPECT_EQ(form().lblResult->text(), "");
    EXPECT_EQ(form().lblResult->toolTip(), "");
}

// "Stop Creating": shown only while creating; created subtitles not saved are asked about.
TEST_F(Creation, StopCreatingLeavesTheLayoutAfterTheQuestion) {
    VELKAR_START_WITH_MOVIE();
    EXPECT_TRUE(form().cmdLeaveCreation->isHidden());
    form().cmdCreate->click();
    EXPECT_FALSE(form().cmdLeaveCreation->isHidden());
    loadText("Hello.\r\n");
    pressAt(1000);
    pressAt(2000);
    ASSERT_TRUE(form().documentModified());

    // Cancel stays, with the created dialog.
    dialogs.answers.push_back(Answer::Cancel);
    form().cmdLeaveCreation->click();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions.back(), "Save changes to Untitled?");
    EXPECT_FALSE(form().cmdStartEnd->isHidden());
    EXPECT_EQ(form().document().SubtitleCount, 1);

    // No drops it: the synchronisation layout without a document.
    dialogs.answers.push_back(Answer::No);
    form().cmdLeaveCreation->click();
    for (QWidget* control : syncControls())
        EXPECT_FALSE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_TRUE(form().cmdLeaveCreation->isHidden());
    EXPECT_TRUE(form().cmdStartEnd->isHidden());
    EXPECT_FALSE(form().document().SubtitleLoaded);
    EXPECT_FALSE(form().documentModified());
    EXPECT_EQ(form().cboDialogs->count(), 0);
    EXPECT_EQ(form().windowTitle(), "Velkar - " + QFileInfo(HundredSecondMovie()).fileName());

    // Nothing created: no question.
    form().cmdCreate->click();
    form().cmdLeaveCreation->click();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_TRUE(form().cmdLeaveCreation->isHidden());
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

TEST_F(Creation, ADialogStartedAndNotEndedIsLeftOutOfSavingAndEndsAtTheNextPress) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    pressAt(1000);
    pressAt(2000);
    pressAt(3000);
    EXPECT_EQ(saveAs(QStringLiteral("half.sub")),
              HeaderAnd({"00:00:01.00,00:00:02.00", "Insert text Here", ""}));
    form().cmdStartEnd->click();
    EXPECT_EQ(form().document().SubtitleLines.size(), 18u);
    EXPECT_EQ(form().document().SubtitleLines[15], "00:00:03.00,00:00:03.00");
}

TEST_F(Creation, PressesDoNothingWithoutAMovie) {
    start();
    form().cmdCreate->click();
    form().cmdStartEnd->click();
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog Start");
    EXPECT_EQ(form().document().SubtitleCount, 0);
    EXPECT_EQ(form().txtFirst->text(), "00:00:00.00");
}

TEST_F(Creation, LoadTextKeepsWhatItHadWhenCancelledOrWhenTheFileCannotBeRead) {
    start();
    form().cmdCreate->click();
    loadText("One\r\n\r\nThree\r\n");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "Open Subtitle Plain Text File");
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Text Files (*.txt);;All Files (*)");
    const QStringList entries({"", "One", "", "", "", "Three"});
    EXPECT_EQ(Entries(&viewerList()), entries);

    dialogs.files.push_back(QString());
    form().cmdLoadText->click();
    const QString missing = tempPath(QStringLiteral("missing.txt"));
    dialogs.files.push_back(missing);
    form().cmdLoadText->click();
    EXPECT_THAT(dialogs.messages, ElementsAre("Cannot open file " + missing));
    EXPECT_EQ(Entries(&viewerList()), entries);
    EXPECT_EQ(form().plainTextLines(), (std::vector<std::string>{"One", "", "Three"}));
}

TEST_F(Creation, ASecondTextReplacesTheFirstAndCreatedDialogsKeepTheirTexts) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    loadText("Old one\r\n");
    pressAt(1000);
    EXPECT_FALSE(form().documentModified());
    pressAt(2000);
    // The created subtitle is an unsaved change: both paths below ask about it first.
    EXPECT_TRUE(form().documentModified());
    dialogs.answers.push_back(Answer::No);
    loadText("New one\r\nNew two\r\n");
    EXPECT_EQ(Entries(&viewerList()), QStringList({"", "New one", "", "New two"}));
    pressAt(3000);
    pressAt(4000);
    EXPECT_EQ(Entries(form().cboDialogs), QStringList({"1) Old one", "2) New two"}));
    // A second "Create Subs" starts over and reuses the text last loaded.
    dialogs.answers.push_back(Answer::No);
    form().cmdCreate->click();
    EXPECT_THAT(dialogs.questions,
                ElementsAre("Save changes to Untitled?", "Save changes to Untitled?"));
    pressAt(5000);
    pressAt(6000);
    EXPECT_EQ(Entries(form().cboDialogs), QStringList({"1) New one"}));
    EXPECT_EQ(form().document().SubtitleLines,
              HeaderAnd({"00:00:05.00,00:00:06.00", "New one", ""}));
}

TEST_F(Creation, TheDialogListAndTheLabelShowACreatedTextInItsOwnEncoding) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    loadText("Καλημέρα\r\n"); // UTF-8
    pressAt(1000);
    pressAt(2000);
    dialogs.answers.push_back(Answer::No);
    form().cmdCreate->click();
    // "Καλημέρα κόσμε" in Windows-1253
    loadText("\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1 \xea\xfc\xf3\xec\xe5\r\n");
    pressAt(1000);
    pressAt(3000);
    EXPECT_EQ(Entries(form().cboDialogs), QStringList({QStringLiteral("1) Καλημέρα κόσμε")}));
    at(2000);
    form().playback().tmrSubTimer();
    EXPECT_TRUE(form().lblSubs->text().contains(QStringLiteral("Καλημέρα κόσμε")))
        << form().lblSubs->text().toStdString();
}

TEST_F(Creation, ALongLineIsWrittenWholeButStoredCut) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    const std::string line(300, 'x');
    loadText(line + "\r\n");
    pressAt(1000);
    pressAt(2000);
    EXPECT_EQ(form().document().SubtitleLines[13], line);
    EXPECT_EQ(form().document().SubtitleTexts[0].size(), 255u);
    EXPECT_EQ(form().cboDialogs->itemText(0).toStdString(), "1) " + line);
}

} // namespace
} // namespace velkar::gui::test
