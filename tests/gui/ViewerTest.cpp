#include "GuiTest.h"

#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace velkar::gui::test {
namespace {

class ListViewer : public GuiTest {
  protected:
    TfrmSubs& viewer() const { return windows().frmSubs(); }
    void fill(int lines) {
        viewer().setRows(lines, [](int i) { return QString::number(i); });
    }
};

TEST_F(ListViewer, ViewShowsItUnderTheMainWindowAndHidesItAgain) {
    start();
    form().move(0, 0); // room under it on the smallest screen
    form().cmdView->click();
    ASSERT_TRUE(viewer().isVisible());
    const QRect main = form().frameGeometry();
    EXPECT_EQ(viewer().pos(), QPoint(main.left(), main.bottom() + 1));
    EXPECT_EQ(viewer().width(), main.width());
    EXPECT_EQ(viewer().height(), 120);
    form().cmdView->click();
    EXPECT_FALSE(viewer().isVisible());
}

TEST_F(ListViewer, MoveAlongDocksItUnderTheMainWindowOnEveryTick) {
    start();
    form().cmdView->click();
    form().move(100, 50);
    QTRY_COMPARE_WITH_TIMEOUT(
        viewer().pos(), QPoint(form().frameGeometry().left(), form().frameGeometry().bottom() + 1),
        2000);
    viewer().chkMoveAlong->click();
    EXPECT_FALSE(viewer().moveAlong());
    viewer().move(10, 10);
    QTest::qWait(20);
    EXPECT_EQ(viewer().pos(), QPoint(10, 10));
}

TEST_F(ListViewer, StaysOnTheScreenWhereverTheMainWindowIs) {
    start();
    form().cmdView->click();
    const QRect screen = form().screen()->availableGeometry();
    for (const QPoint& corner : {QPoint(0, 0), QPoint(screen.right(), screen.bottom()),
                                 QPoint(0, screen.bottom()), QPoint(screen.right(), 0)}) {
        form().move(corner); // the window system keeps the main window on the screen
        form().tmrSubTimer();
        EXPECT_TRUE(screen.contains(viewer().frameGeometry()))
            << corner.x() << "," << corner.y() << ": " << viewer().x() << "," << viewer().y();
    }
}

TEST_F(ListViewer, SelectLineMakesTheLineTheTopItemOnlyWhenItChanges) {
    start();
    fill(500);
    viewer().show();
    viewer().SelectLine(0);
    EXPECT_EQ(viewer().lstSubs->currentRow(), -1); // line 0 counts as selected already
    viewer().SelectLine(300);
    EXPECT_EQ(viewer().lstSubs->currentRow(), 300);
    EXPECT_EQ(viewer().lastSelectedLine(), 300);
    EXPECT_EQ(viewer().lstSubs->indexAt(QPoint(1, 1)).row(), 300);
    viewer().lstSubs->setCurrentRow(5);
    viewer().SelectLine(300);
    EXPECT_EQ(viewer().lstSubs->currentRow(), 5);
}

TEST_F(ListViewer, WithoutAutoScrollTheSelectionStays) {
    start();
    fill(50);
    viewer().chkScroll->click();
    viewer().SelectLine(10);
    EXPECT_EQ(viewer().lstSubs->currentRow(), -1);
    EXPECT_EQ(viewer().lastSelectedLine(), 0);
    viewer().chkScroll->click();
    viewer().SelectLine(10);
    EXPECT_EQ(viewer().lstSubs->currentRow(), 10);
}

TEST_F(ListViewer, ALineOutsideTheListIsIgnored) {
    start();
    fill(3);
    viewer().SelectLine(7);
    viewer().SelectLine(-2);
    EXPECT_EQ(viewer().lstSubs->currentRow(), -1);
    EXPECT_EQ(viewer().lastSelectedLine(), 0);
}

TEST_F(ListViewer, SelectFontChangesTheListsFontWhenConfirmed) {
    start();
    QFont chosen = viewer().lstSubs->font();
    chosen.setPixelSize(21);
    dialogs.fonts.push_back(chosen);
    viewer().cmdFont->click();
    EXPECT_EQ(viewer().lstSubs->font().pixelSize(), 21);
    dialogs.fonts.push_back(std::nullopt);
    viewer().cmdFont->click();
    EXPECT_EQ(viewer().lstSubs->font().pixelSize(), 21);
}

TEST_F(ListViewer, ShowsTheLettersOfEachCodePage) {
    struct Case {
        const char* file;
        QString word;
    };
    const Case cases[] = {
        {"srt/charsetnormalizer-sample.1.he-cp1255-crlf.srt", QStringLiteral("של")},
        {"srt/gnomesubtitles-cc-mayer-bettle-cp1252-crlf.srt", QStringLiteral("’")},
        {"srt/subtitlesparser-wiedzmin-hu-latin2.srt", QStringLiteral("rész")},
        {"microdvd/subtitlesparser-20140116-152304-pl-cp1250.sub", QStringLiteral("Jak mogłeś")},
        {"srt/subtitlejs-wonder-woman-crlf-utf8bom.srt", QStringLiteral("world")},
    };
    start();
    for (const Case& c : cases) {
        if (CorpusFile(c.file).isEmpty())
            GTEST_SKIP() << "corpus missing";
        open(CorpusFile(c.file));
        ASSERT_TRUE(form().document().SubtitleLoaded) << c.file;
        bool found = false;
        for (int i = 0; i < viewer().lstSubs->count() && !found; ++i)
            found = viewer().lstSubs->text(i).contains(c.word);
        EXPECT_TRUE(found) << c.file;
    }
}

TEST_F(ListViewer, GreekAndCyrillicShowInTheEditorsErrorAndTheQuestion) {
    start();
    const QString greek = CorpusFile("srt/charsetnormalizer-sample.1.gr-cp1253-crlf.srt");
    const QString russian = CorpusFile("srt/charsetnormalizer-sample.1.ru-cp1251-crlf.srt");
    if (greek.isEmpty() || russian.isEmpty())
        GTEST_SKIP() << "corpus missing";
    // Both can be mended: the offer comes instead of the question; Cancel is its No.
    dialogs.choices.push_back(2);
    open(greek);
    EXPECT_EQ(form().codec().Name(), "WINDOWS-1253");
    dialogs.choices.push_back(2);
    open(russian);
    EXPECT_EQ(form().codec().Name(), "WINDOWS-1251");
    ASSERT_EQ(dialogs.choiceTexts.size(), 2u);
    EXPECT_TRUE(dialogs.choiceTexts[1].startsWith("Velkar can mend this Subtitle file:"));
}

} // namespace
} // namespace velkar::gui::test
