#include "GuiTest.h"

#include "frmMain/MaskedTimeEdit.h"
#include "select/TForm2.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace velkar::gui::test {
namespace {

std::string Subtitles(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int s = 1 + i * 2;
        char line[64];
        std::snprintf(line, sizeof line, "00:%02d:%02d,000 --> 00:%02d:%02d,500", s / 60, s % 60,
                      s / 60, s % 60);
        text += std::to_string(i + 1) + "\r\n" + line + "\r\nDialog " + std::to_string(i + 1) +
                "\r\n\r\n";
    }
    return text;
}

TForm2* Picker(QWidget* modal) {
    auto* picker = qobject_cast<TForm2*>(modal);
    EXPECT_NE(picker, nullptr) << "the modal window is not the picker";
    return picker;
}

class DialogPicker : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
        openBytes(Subtitles(250));
        ASSERT_EQ(form().document().SubtitleCount, 250);
    }
};

TEST_F(DialogPicker, ListsEverySubtitleWithTheCurrentLastAnchorSelected) {
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        ASSERT_EQ(picker->lstDialogs->count(), 250);
        EXPECT_EQ(picker->lstDialogs->text(0), "1 --- Dialog 1");
        EXPECT_EQ(picker->lstDialogs->text(249), "250 --- Dialog 250");
        EXPECT_EQ(picker->lstDialogs->currentRow(), 249);
        EXPECT_EQ(picker->lblCurrent->text(), "Current last Dialog: Dialog 250");
        EXPECT_EQ(picker->lblCurrent->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_EQ(picker->windowTitle(), "Select the Last dialog");
        EXPECT_EQ(picker->cmdSelect->text(), "Select Last");
        picker->lstDialogs->setCurrentRow(99);
        picker->cmdSelect->click();
    });
    form().cmdSelect2->click();
    EXPECT_EQ(form().document().LastAnchor, 99);
    EXPECT_EQ(form().document().FirstAnchor, 0);
    EXPECT_EQ(form().txtLast->displayText(), "00:03:19,000");
    EXPECT_EQ(form().txtLast->toolTip(), "Dialog 100");
}

TEST_F(DialogPicker, SelectFirstWorksTheSameWay) {
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        EXPECT_EQ(picker->lstDialogs->currentRow(), 0);
        EXPECT_EQ(picker->lblCurrent->text(), "Current 1st Dialog: Dialog 1");
        EXPECT_EQ(picker->windowTitle(), "Select the first dialog");
        EXPECT_EQ(picker->cmdSelect->text(), "Select 1st");
        picker->lstDialogs->setCurrentRow(4);
        QTest::keyClick(picker->lstDialogs, Qt::Key_Return); // Enter presses Select
    });
    form().cmdSelect1->click();
    EXPECT_EQ(form().document().FirstAnchor, 4);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:09,000");
}

TEST_F(DialogPicker, CancelChangesNeitherTheAnchorsNorTheTimeFields) {
    form().txtFirst->setText(QStringLiteral("00:00:05,000"));
    form().txtLast->setText(QStringLiteral("00:09:00,000"));
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        picker->lstDialogs->setCurrentRow(7);
        picker->cmdCancel->click();
    });
    form().cmdSelect1->click();
    EXPECT_EQ(form().document().FirstAnchor, 0);
    EXPECT_EQ(form().document().LastAnchor, 249);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:05,000");
    EXPECT_EQ(form().txtLast->displayText(), "00:09:00,000");
}

TEST_F(DialogPicker, APickSetsOnlyThePickedAnchorsField) {
    form().txtFirst->setText(QStringLiteral("00:00:05,000"));
    form().txtLast->setText(QStringLiteral("00:09:00,000")); // taken from the player, say
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        picker->lstDialogs->setCurrentRow(4);
        picker->cmdSelect->click();
    });
    form().cmdSelect1->click();
    EXPECT_EQ(form().document().FirstAnchor, 4);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:09,000");
    EXPECT_EQ(form().txtFirst->toolTip(), "Dialog 5");
    EXPECT_EQ(form().txtLast->displayText(), "00:09:00,000");
}

TEST_F(DialogPicker, EscapeCancels) {
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        picker->lstDialogs->setCurrentRow(7);
        QTest::keyClick(picker->lstDialogs, Qt::Key_Escape);
    });
    form().cmdSelect2->click();
    EXPECT_EQ(form().document().LastAnchor, 249);
}

TEST_F(DialogPicker, ADoubleClickPicksTheEntry) {
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        const QModelIndex item = picker->lstDialogs->rows().index(2);
        picker->lstDialogs->scrollTo(item);
        const QPoint at = picker->lstDialogs->visualRect(item).center();
        QTest::mouseClick(picker->lstDialogs->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(picker->lstDialogs->viewport(), Qt::LeftButton, {}, at);
    });
    form().cmdSelect2->click();
    EXPECT_EQ(form().document().LastAnchor, 2);
    EXPECT_FALSE(windows().Form2().isVisible());
}

TEST_F(DialogPicker, ALastAnchorBeforeTheFirstIsAllowed) {
    form().document().FirstAnchor = 10;
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        picker->lstDialogs->setCurrentRow(3);
        picker->cmdSelect->click();
    });
    form().cmdSelect2->click();
    EXPECT_EQ(form().document().LastAnchor, 3);
    EXPECT_EQ(form().document().FirstAnchor, 10);
}

class DialogPickerWithoutDocument : public GuiTest {};

TEST_F(DialogPickerWithoutDocument, ShowsTheTextsInTheDocumentsEncoding) {
    const QString hebrew = CorpusFile("srt/charsetnormalizer-sample.1.he-cp1255-crlf.srt");
    if (hebrew.isEmpty())
        GTEST_SKIP() << "corpus missing";
    start();
    open(hebrew);
    ASSERT_GT(form().document().SubtitleCount, 0);
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        bool found = false;
        for (int i = 0; i < picker->lstDialogs->count() && !found; ++i)
            found = picker->lstDialogs->text(i).contains(QStringLiteral("של"));
        EXPECT_TRUE(found);
        EXPECT_TRUE(picker->lstDialogs->text(0).startsWith(QStringLiteral("1 --- ")));
        picker->cmdCancel->click();
    });
    form().cmdSelect1->click();
    EXPECT_EQ(form().document().FirstAnchor, 0);
}

TEST_F(DialogPickerWithoutDocument, DoesNothing) {
    start();
    form().cmdSelect1->click();
    form().cmdSelect2->click();
    EXPECT_FALSE(windows().Form2().isVisible());
}

TEST_F(DialogPickerWithoutDocument, AnEmptyDocumentListsNothingAndChangesNoAnchor) {
    start();
    openBytes("{1}{1}25\r\n\r\n", QStringLiteral("rate.sub")); // a frame rate, no subtitle
    ASSERT_EQ(form().document().SubtitleCount, 0);
    modal.then([&](QWidget* w) {
        TForm2* picker = Picker(w);
        EXPECT_EQ(picker->lstDialogs->count(), 0);
        picker->cmdSelect->click();
    });
    form().cmdSelect1->click();
    EXPECT_EQ(form().document().FirstAnchor, 0);
    EXPECT_EQ(form().txtFirst->displayText(), "0");
}

} // namespace
} // namespace velkar::gui::test
