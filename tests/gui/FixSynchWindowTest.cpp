#include "GuiTest.h"

#include "frmMain/MaskedTimeEdit.h"
#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velkar::gui::test {
namespace {

const std::string kThreeSubtitles = "1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
                                    "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n"
                                    "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n";

class FixSynchButton : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
        openBytes(kThreeSubtitles);
        ASSERT_TRUE(form().document().SubtitleLoaded);
    }
    void fix(const QString& first, const QString& last) {
        form().txtFirst->setText(first);
        form().txtLast->setText(last);
        form().cmdStretch->click();
    }
    QStringList viewer() const {
        QStringList lines;
        for (int i = 0; i < windows().frmSubs().lstSubs->count(); ++i)
            lines << windows().frmSubs().lstSubs->text(i);
        return lines;
    }
};

TEST_F(FixSynchButton, RetimesTheWorkedExampleAndRefreshesTheViewer) {
    fix(QStringLiteral("00:00:02,000"), QStringLiteral("00:00:20,000"));
    EXPECT_TRUE(dialogs.messages.empty());
    const QStringList expected{"1", "00:00:02,000 --> 00:00:06,000", "One",  "",
                               "2", "00:00:08,000 --> 00:00:12,000", "Two",  "",
                               "3", "00:00:20,000 --> 00:00:24,000", "Three"};
    EXPECT_EQ(viewer(), expected);
    EXPECT_EQ(form().document().SubtitleLines[9], "00:00:20,000 --> 00:00:24,000");
    EXPECT_EQ(form().pgrBar->value(), 0);
    // The typed times stay in the fields.
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:02,000");
    EXPECT_EQ(form().txtLast->displayText(), "00:00:20,000");
}

TEST_F(FixSynchButton, TheResultCanBeSaved) {
    fix(QStringLiteral("00:00:02,000"), QStringLiteral("00:00:20,000"));
    dialogs.files.push_back(tempPath("fixed"));
    form().cmdSave->click();
    EXPECT_EQ(ReadBytes(tempPath("fixed.srt")), "1\r\n00:00:02,000 --> 00:00:06,000\r\nOne\r\n\r\n"
                                                "2\r\n00:00:08,000 --> 00:00:12,000\r\nTwo\r\n\r\n"
                                                "3\r\n00:00:20,000 --> 00:00:24,000\r\nThree\r\n");
}

TEST_F(FixSynchButton, ReadsTheSelectedToleranceAsThePercentageItShows) {
    // 0.044 % too long: within "0.1%", so nothing moves, and the window says so.
    form().cboRegression->setCurrentIndex(0);
    fix(QStringLiteral("00:00:01,000"), QStringLiteral("00:00:10,004"));
    EXPECT_EQ(form().document().start(2), 10000);
    EXPECT_EQ(form().lblResult->text(),
              "Already in place; first anchor 1: 00:00:01,000 -> "
              "00:00:01,000; last anchor 3: 00:00:10,000 -> 00:00:10,000");
    form().cboRegression->setCurrentIndex(3);
    form().cmdStretch->click();
    EXPECT_EQ(form().document().start(2), 10004);
    // 4.3 % too long is beyond "0.1%" (a thousandth), so it is stretched.
    form().cboRegression->setCurrentIndex(0);
    fix(QStringLiteral("00:00:01,000"), QStringLiteral("00:00:10,387"));
    EXPECT_EQ(form().document().start(2), 10387);
}

TEST_F(FixSynchButton, TimesAlreadyInPlaceMarkNothingChanged) {
    // The anchors' own times, and times within the tolerance of "0.1%": no value moves.
    const struct {
        int tolerance;
        const char* first;
        const char* last;
    } cases[] = {{3, "00:00:01,000", "00:00:10,000"}, {0, "00:00:01,000", "00:00:10,004"}};
    for (const auto& c : cases) {
        form().cboRegression->setCurrentIndex(c.tolerance);
        fix(QString::fromLatin1(c.first), QString::fromLatin1(c.last));
        EXPECT_EQ(form().lblResult->text().left(17), "Already in place;") << c.last;
        EXPECT_FALSE(form().documentModified()) << c.last;
        EXPECT_FALSE(form().isWindowModified()) << c.last;
    }
    // Closing asks nothing: there is nothing to save.
    closeMain();
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(FixSynchButton, ShowsWhatThePressDidAndClearsItOnAFailure) {
    EXPECT_TRUE(form().lblResult->text().isEmpty());
    fix(QStringLiteral("00:00:02,000"), QStringLiteral("00:00:20,000"));
    EXPECT_EQ(form().lblResult->text(),
              "Stretched by 2.000000; first anchor 1: 00:00:01,000 -> "
              "00:00:02,000; last anchor 3: 00:00:10,000 -> 00:00:20,000");
    EXPECT_TRUE(form().lblResult->isVisible() || !form().isVisible());
    fix(QStringLiteral("00:00:02,500"), QStringLiteral("00:00:20,500"));
    EXPECT_EQ(form().lblResult->text(),
              "Shifted by +0.500 s; first anchor 1: 00:00:02,000 -> "
              "00:00:02,500; last anchor 3: 00:00:20,000 -> 00:00:20,500");
    fix(QStringLiteral("00:00:02,000"), QStringLiteral("00:00:02,000"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(form().lblResult->text().isEmpty());
}

TEST_F(FixSynchButton, EqualTimesShowTheDivisionMessageAndChangeNothing) {
    fix(QStringLiteral("00:00:02,000"), QStringLiteral("00:00:02,000"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Floating point division by zero\n\rThe two true times are equal: anchors 1 and 3 "
              "both have 00:00:02,000. Type each anchor's own true start, the later subtitle's "
              "later.");
    EXPECT_EQ(dialogs.titles[0], "Velkar");
    EXPECT_EQ(form().document().SubtitleLines[1], "00:00:01,000 --> 00:00:03,000");
    EXPECT_EQ(viewer()[1], "00:00:01,000 --> 00:00:03,000");
}

TEST_F(FixSynchButton, AHalfTypedTimeShowsTheConversionMessage) {
    fix(QStringLiteral("00:0 :02,000"), QStringLiteral("00:00:20,000"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "'0 ' is not a valid integer value");
    EXPECT_EQ(form().document().start(0), 1000);
}

TEST_F(FixSynchButton, ANegativeResultShowsTheTimeMessageAndChangesNothing) {
    form().document().FirstAnchor = 1;
    // Twice the span from 0.5 s on: subtitle 0 is laid out backwards to -5.5 s.
    fix(QStringLiteral("00:00:00,500"), QStringLiteral("00:00:12,500"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Invalid argument to time encode\n\rSubtitle 1 (line 2) would start before "
              "00:00:00. A subtitle file's times run from 00:00:00 to 23:59:59: check the true "
              "times typed for the anchors.");
    EXPECT_EQ(form().document().start(0), 1000);
    EXPECT_EQ(form().document().SubtitleLines[5], "00:00:04,000 --> 00:00:06,000");
}

TEST_F(FixSynchButton, WithNoSelectedToleranceUsesTheDefault) {
    form().cboRegression->setCurrentIndex(-1);
    fix(QStringLiteral("00:00:01,000"), QStringLiteral("00:00:10,387"));
    EXPECT_EQ(form().document().start(2), 10387);
}

class FixSynchMicroDVD : public GuiTest {};

TEST_F(FixSynchMicroDVD, AfterAFailedParseOnlyEditingAndSavingWork) {
    start();
    openBytes("{1500}{1500}One\r\n{0}{-500}Two\r\n{x}{3}Three\r\n", QStringLiteral("subs.sub"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "'x' is not a valid integer value");
    const QString refusal = "The timing of the Subtitle file could not be read ('x' is not a "
                            "valid integer value). Mend the file in the editor (Edit...) first.";
    form().txtFirst->setText(QStringLiteral("3000"));
    form().txtLast->setText(QStringLiteral("1000"));
    form().cmdStretch->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1], refusal);
    form().cmdSelect1->click(); // no picker comes up
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[2], refusal);
    emit form().cboDialogs->activated(0); // the repair's pick of a dialog
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[3], refusal);
    EXPECT_EQ(modal.unexpected(), 0);
    // The lines are saved as they stand.
    dialogs.files.push_back(tempPath("kept.sub"));
    form().cmdSave->click();
    EXPECT_EQ(ReadBytes(tempPath("kept.sub")),
              "{1500}{1500}One\r\n{0}{-500}Two\r\n{x}{3}Three\r\n");
}

TEST_F(FixSynchMicroDVD, TheRepairOfA23976FileTo25LandsOnTheTypedFrames) {
    start();
    VELKAR_OPEN_CORPUS("microdvd/subtitleit-pulpfiction-utf8.sub");
    const SubtitleDocument& doc = form().document();
    ASSERT_EQ(doc.SubtitleCount, 2025);
    form().txtFirst->setText(QStringLiteral("1025"));
    form().txtLast->setText(QStringLiteral("279637"));
    form().cmdStretch->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(doc.start(0), 1025);
    EXPECT_EQ(doc.start(2024), 279637);
    EXPECT_EQ(form().lblResult->text(), "Stretched by 1.042710; first anchor 1: 1025 -> 1025; "
                                        "last anchor 2025: 268225 -> 279637");
}

TEST_F(FixSynchMicroDVD, AnEmptyFrameFieldCountsAsZero) {
    start();
    openBytes("{100}{150}One\r\n{200}{250}Two\r\n{400}{450}Three\r\n", QStringLiteral("subs.sub"));
    ASSERT_EQ(form().document().SubtitleFormat, sfMicroDVD);
    form().txtFirst->clear();
    form().txtLast->setText(QStringLiteral("600"));
    form().cmdStretch->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().document().SubtitleLines[0], "{0}{100}One");
    EXPECT_EQ(form().document().SubtitleLines[2], "{600}{700}Three");
}

// A player with a movie open at a fixed position.
class StillPlayer final : public playback::NoMedia {
  public:
    explicit StillPlayer(std::int32_t position) : m_position(position) {}
    bool isOpen() const override { return true; }
    std::int32_t position() const override { return m_position; }
    std::int32_t length() const override { return 100000000; }
    void seek(std::int32_t position) override { m_position = position; }

  private:
    std::int32_t m_position;
};

class SetTime : public GuiTest {};

TEST_F(SetTime, WritesThePlayersPositionInTheDocumentsForm) {
    start();
    StillPlayer player(15237);
    form().setPlayer(&player);
    openBytes("{100}{150}One\r\n{200}{250}Two\r\n", QStringLiteral("subs.sub"));
    form().cmdFirst->click();
    EXPECT_EQ(form().txtFirst->displayText(), "15237");
    openBytes(kThreeSubtitles);
    form().cmdLast->click();
    EXPECT_EQ(form().txtLast->displayText(), "00:00:15,237");
    form().setPlayer(nullptr);
}

TEST_F(SetTime, DoesNothingWithoutMediaOrWithTheExternalPlayer) {
    start();
    openBytes(kThreeSubtitles);
    form().cmdFirst->click();
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:01,000");
    StillPlayer player(15237);
    form().setPlayer(&player);
    form().chkBSP->click();
    form().cmdFirst->click();
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:01,000");
    form().setPlayer(nullptr);
}

const std::string kOutsideTheDay = "A subtitle file's times run from 00:00:00 to 23:59:59: ";

TEST_F(SetTime, APositionOutsideTheDayIsReportedWithWhatToDoAndTheFieldKeepsItsText) {
    const struct {
        std::int32_t position;
        std::string detail;
    } cases[] = {
        {86400000, "The player's position is at 24:00:00 or later. " + kOutsideTheDay +
                       "take the time at an earlier place in the movie, or type it."},
        {-1, "The player's position is before 00:00:00. " + kOutsideTheDay +
                 "take the time at a later place in the movie, or type it."},
    };
    start();
    openBytes(kThreeSubtitles);
    for (const auto& c : cases) {
        StillPlayer player(c.position);
        form().setPlayer(&player);
        dialogs.messages.clear();
        form().cmdFirst->click();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].toStdString(),
                  "Invalid argument to time encode\n\r" + c.detail);
        EXPECT_EQ(form().txtFirst->displayText(), "00:00:01,000");
        form().setPlayer(nullptr);
    }
}

class CreatedTime : public GuiTest {};

TEST_F(CreatedTime, AStartOutsideTheDayIsReportedWithWhatToDo) {
    start();
    StillPlayer player(86400000);
    form().setPlayer(&player);
    form().cmdCreate->click();
    form().cmdStartEnd->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].toStdString(),
              "Invalid argument to time encode\n\rSubtitle 1 would start at 24:00:00 or later. " +
                  kOutsideTheDay + "take the time at an earlier place in the movie.");
    form().setPlayer(nullptr);
}

TEST_F(CreatedTime, AnEndOutsideTheDayIsReportedWithWhatToDoAndTheDialogStaysOpen) {
    start();
    StillPlayer player(1000);
    form().setPlayer(&player);
    form().cmdCreate->click();
    form().cmdStartEnd->click();
    player.seek(86400000);
    form().cmdStartEnd->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].toStdString(),
              "Invalid argument to time encode\n\rSubtitle 1 would end at 24:00:00 or later. " +
                  kOutsideTheDay + "take the time at an earlier place in the movie.");
    EXPECT_TRUE(form().document().SubtitlePending);
    EXPECT_EQ(form().cboDialogs->count(), 0);
    form().setPlayer(nullptr);
}

} // namespace
} // namespace velkar::gui::test
