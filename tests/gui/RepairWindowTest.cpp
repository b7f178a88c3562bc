// "Repair Single Dialog": the two layouts, picking a dialog, and the two repair presses with
// the real player paused at known positions, on an opened SubRip file and on a created
// document.

#include "PlayingMovie.h"
#include "document/TimeCode.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gmock/gmock.h>

namespace velkar::gui::test {
namespace {

const char kCorpusSubRip[] = "srt/gaupol-2008-subrip.sample.srt";

class Repair : public PlayingMovieTest {
  protected:
    // Shown in the synchronisation layout, hidden in the repair layout.
    std::vector<QWidget*> syncControls() const {
        TForm1& f = form();
        return {f.cmdEdit,   f.cmdSelect1,      f.cmdSelect2, f.cboRegression,
                f.Label3,    f.cmdStretch,      f.cmdFirst,   f.cmdLast,
                f.cmdCreate, f.cmdOpenSubtitle, f.cmdSubInfo, f.cmdView};
    }
    void expectSyncLayout() const {
        for (QWidget* control : syncControls())
            EXPECT_FALSE(control->isHidden()) << control->objectName().toStdString();
        EXPECT_TRUE(form().cmdLoadText->isHidden());
        EXPECT_TRUE(form().cmdStartEnd->isHidden());
        EXPECT_EQ(form().cmdView->geometry(), QRect(56, 102, 55, 18));
    }
    // Picks entry `k` of the dialog list as the user does.
    void pick(int k) {
        form().cboDialogs->setCurrentIndex(k);
        emit form().cboDialogs->activated(k);
    }
    RowListView& viewerList() const { return *form().viewer()->lstSubs; }
};

TEST_F(Repair, TickingSwitchesToTheRepairLayoutAndUntickingBack) {
    start();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    EXPECT_TRUE(form().cboDialogs->isEnabled());
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog Start");
    for (QWidget* control : syncControls())
        EXPECT_TRUE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_FALSE(form().cmdLoadText->isHidden());
    EXPECT_FALSE(form().cmdStartEnd->isHidden());
    EXPECT_FALSE(form().txtFirst->isHidden());
    EXPECT_FALSE(form().txtLast->isHidden());

    form().chkRepair->click();
    EXPECT_FALSE(form().cboDialogs->isEnabled());
    EXPECT_EQ(form().cmdStartEnd->text(), "Dialog Start");
    expectSyncLayout();
}

TEST_F(Repair, UntickingDuringCreationReturnsToTheSynchronisationLayout) {
    start();
    form().cmdCreate->click();
    form().chkRepair->click();
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog Start");
    form().chkRepair->click();
    expectSyncLayout();
}

TEST_F(Repair, PickingDialogSevenShowsItsTimesAndMovesThePlayerWithoutPlaying) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    const playback::PlayerMode mode = form().playback().Mplayer()->mode();
    pick(6);
    EXPECT_EQ(form().txtFirst->text(), "00:01:25,124");
    EXPECT_EQ(form().txtLast->text(), "00:01:29,341");
    // The frame holding 85 124 ms starts at 85 120 ms.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form().player().position() == 85120; }, 5000))
        << form().player().position();
    EXPECT_EQ(form().playback().Mplayer()->mode(), mode);
}

TEST_F(Repair, PickingWithoutAMovieShowsTheTimesOnly) {
    start();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    pick(1);
    EXPECT_EQ(form().txtFirst->text(), "00:01:04,583");
    EXPECT_EQ(form().txtLast->text(), "00:01:07,012");
    EXPECT_EQ(form().player().position(), 0);
}

TEST_F(Repair, WithUseBspTheBuiltInPlayerIsLeftAlone) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkBSP->setChecked(true);
    form().chkRepair->click();
    pick(6);
    EXPECT_EQ(form().txtFirst->text(), "00:01:25,124");
    QTest::qWait(200);
    EXPECT_EQ(form().playback().Mplayer()->position(), 0);
    // The presses ask the player the window holds: the external one, with no movie yet.
    form().cmdStartEnd->click();
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog Start");
    EXPECT_EQ(form().document().start(6), 85124);
}

TEST_F(Repair, RepairingDialogSevenAndSavingChangesOnlyItsTimeLine) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    pick(6);
    pressAt(80000);
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog End");
    EXPECT_EQ(form().txtFirst->text(), "00:01:20,000");
    pressAt(81040);
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog Start");
    EXPECT_EQ(form().txtLast->text(), "00:01:21,040");
    EXPECT_EQ(form().document().start(6), 80000);
    EXPECT_EQ(form().document().end(6), 81040);

    std::vector<std::string> expected = FileLines(CorpusFile(kCorpusSubRip));
    ASSERT_EQ(expected[27], "00:01:25,124 --> 00:01:29,341");
    expected[27] = "00:01:20,000 --> 00:01:21,040";
    EXPECT_EQ(saveAs(QStringLiteral("repaired.srt")), expected);
    // Saving leaves the repair layout, and the fields show the anchors again.
    expectSyncLayout();
    // The repair of a single dialog stays at hand, switched off.
    EXPECT_FALSE(form().chkRepair->isHidden());
    EXPECT_FALSE(form().chkRepair->isChecked());
    EXPECT_FALSE(form().cboDialogs->isHidden());
    EXPECT_FALSE(form().cboDialogs->isEnabled());
    // ... after every Save As.
    form().chkRepair->setChecked(true);
    EXPECT_TRUE(form().cboDialogs->isEnabled());
    EXPECT_EQ(saveAs(QStringLiteral("again.srt")), expected);
    EXPECT_FALSE(form().chkRepair->isHidden());
    EXPECT_FALSE(form().cboDialogs->isHidden());
    EXPECT_EQ(form().txtFirst->text(), "00:00:59,188");
    EXPECT_EQ(form().txtLast->text(),
              QString::fromStdString(
                  TimeToText(sfSubRip, form().document().start(form().document().LastAnchor))));
}

TEST_F(Repair, ARepairedDialogIsOneStepToUndo) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    pick(6);
    pressAt(80000);
    form().undoChange(); // half a repair is no step: nothing to undo yet
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog End");
    pressAt(81040);
    ASSERT_EQ(form().document().end(6), 81040);
    form().undoChange();
    EXPECT_EQ(form().document().start(6), 85124);
    EXPECT_EQ(form().document().end(6), 89341);
    EXPECT_EQ(form().document().SubtitleLines[27], "00:01:25,124 --> 00:01:29,341");
    EXPECT_FALSE(form().isWindowModified());
    form().redoChange();
    EXPECT_EQ(form().document().SubtitleLines[27], "00:01:20,000 --> 00:01:21,040");
    EXPECT_TRUE(form().isWindowModified());
}

TEST_F(Repair, LeavingTheRepairShowsTheAnchorsTimesAgainSoFixSynchUsesThem) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    const QString first = form().txtFirst->text(), last = form().txtLast->text();
    form().chkRepair->click();
    pick(6);
    pressAt(80000);
    pressAt(81040);
    EXPECT_EQ(form().txtLast->text(), "00:01:21,040");
    form().chkRepair->click();
    EXPECT_EQ(form().txtFirst->text(), first);
    EXPECT_EQ(form().txtLast->text(), last);
    // A press now finds the anchors' own times: nothing moves.
    form().cmdStretch->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().document().start(6), 80000);
    EXPECT_EQ(form().lblResult->text().left(17), "Already in place;");
}

TEST_F(Repair, SwitchingDialogsBetweenThePressesSendsTheEndToTheNewDialog) {
    VELKAR_START_WITH_MOVIE();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    const velkar::SubtitleDocument& doc = form().document();
    const std::int32_t end1 = doc.end(1);
    const std::int32_t start2 = doc.start(2);
    form().chkRepair->click();
    pick(1);
    pressAt(10000);
    pick(2);
    // A start later than the end is stored as it is.
    pressAt(5000);
    EXPECT_EQ(doc.start(1), 10000);
    EXPECT_EQ(doc.end(1), end1);
    EXPECT_EQ(doc.start(2), start2);
    EXPECT_EQ(doc.end(2), 5000);
    EXPECT_EQ(doc.SubtitleLines[10], "00:01:07,281 --> 00:00:05,000");
    // Only the end press rewrites a line: dialog 2's start waits in the table.
    EXPECT_EQ(doc.SubtitleLines[6], "00:01:04,583 --> 00:01:07,012");
}

TEST_F(Repair, RepairingACreatedDialogSelectsItsViewerEntriesAndRewritesItsLine) {
    VELKAR_START_WITH_MOVIE();
    form().cmdCreate->click();
    loadText("First\r\nSecond\r\n");
    pressAt(1000);
    pressAt(2000);
    pressAt(3000);
    pressAt(4000);
    form().viewer()->chkScroll->setChecked(false);
    form().chkRepair->click();
    pick(0);
    EXPECT_EQ(form().txtFirst->text(), "00:00:01.00");
    pressAt(5000);
    EXPECT_EQ(viewerList().currentRow(), 1);
    pressAt(6000);
    EXPECT_EQ(viewerList().currentRow(), 2);
    const velkar::LineStore& lines = form().document().SubtitleLines;
    EXPECT_EQ(lines[12], "00:00:05.00,00:00:06.00");
    EXPECT_EQ(lines[15], "00:00:03.00,00:00:04.00");
    EXPECT_EQ(lines.size(), 18u);
}

TEST_F(Repair, PressesDoNothingWithoutAMovie) {
    start();
    VELKAR_OPEN_CORPUS(kCorpusSubRip);
    form().chkRepair->click();
    pick(6);
    form().cmdStartEnd->click();
    EXPECT_EQ(form().cmdStartEnd->text(), "Repair Dialog Start");
    EXPECT_EQ(form().document().start(6), 85124);
}

} // namespace
} // namespace velkar::gui::test
