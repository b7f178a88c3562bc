#include "GuiTest.h"

#include "document/LineIo.h"
#include "edit/ReplaceDialog.h"
#include "edit/TfrmEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace velkar::gui::test {
namespace {

// The editor window on its own, on a document of the given lines.
class Editor : public testing::Test {
  protected:
    void SetUp() override {
        SetUserDialogs(&dialogs);
        editor.setDocument(&doc, &codec);
    }
    void TearDown() override {
        SetUserDialogs(nullptr);
        EXPECT_TRUE(dialogs.answers.empty());
    }
    void load(std::vector<std::string> lines, std::array<std::int32_t, 3> errors = {},
              std::array<std::string, 3> texts = {}) {
        doc.SubtitleLines = std::move(lines);
        editor.LoadForEditing(errors, texts);
    }
    void findText(const QString& find, const QString& replacement = QString()) {
        editor.ReplaceDlg->txtFind->setText(find);
        editor.ReplaceDlg->txtReplace->setText(replacement);
    }
    int caret() const { return editor.memoEdit->textCursor().position(); }
    QString selected() const { return editor.memoEdit->textCursor().selectedText(); }

    ScriptedDialogs dialogs;
    SubtitleDocument doc;
    TextCodec codec;
    TfrmEdit editor;
};

struct ErrorCase {
    std::array<std::int32_t, 3> lines;
    const char* info;
    int line;
};

class EditorErrors : public Editor, public testing::WithParamInterface<ErrorCase> {};

TEST_P(EditorErrors, NameTheFormatThatGotFurthestAndGoToItsLine) {
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i)
        lines.push_back("line " + std::to_string(i));
    load(lines, GetParam().lines, {"(Line:a)", "(Line:b)", "(Line:c)"});
    EXPECT_EQ(editor.lblInfo->text(), GetParam().info);
    EXPECT_EQ(editor.memoEdit->textCursor().blockNumber(), GetParam().line);
    EXPECT_EQ(editor.memoEdit->textCursor().positionInBlock(), 0);
    EXPECT_EQ(editor.errorSelLength(), 6);
}

INSTANTIATE_TEST_SUITE_P(Ties, EditorErrors,
                         testing::Values(ErrorCase{{0, 7, 7}, "SubViewer 2.0 file", 7},
                                         ErrorCase{{7, 7, 7}, "MicroDVD file", 7},
                                         ErrorCase{{2, 3, 9}, "SubRip file", 9},
                                         ErrorCase{{5, 0, 0}, "MicroDVD file", 5}));

TEST_F(Editor, ShowsTheErrorTextOfTheNamedFormat) {
    load({"a", "b", "c"}, {0, 2, 1}, {"m", "(Line:2)\n\rc", "s"});
    EXPECT_EQ(editor.lblError->text(), "Error at: (Line:2)\nc");
}

TEST_F(Editor, WithoutErrorsShowsNoErrorAndKeepsTheFormatName) {
    load({"a", "b"}, {0, 1, 0}, {"", "x", ""});
    ASSERT_EQ(editor.lblInfo->text(), "SubViewer 2.0 file");
    load({"a", "b"});
    EXPECT_EQ(editor.lblError->text(), "");
    EXPECT_EQ(editor.lblInfo->text(), "SubViewer 2.0 file");
    EXPECT_EQ(editor.editorText(), "a\nb\n");
}

TEST_F(Editor, TheSameTextOpenedAgainKeepsTheCaret) {
    load({"alpha", "beta"});
    QTextCursor c = editor.memoEdit->textCursor();
    c.setPosition(8);
    editor.memoEdit->setTextCursor(c);
    load({"alpha", "beta"});
    EXPECT_EQ(caret(), 8);
    load({"alpha", "gamma"});
    EXPECT_EQ(caret(), 0);
}

TEST_F(Editor, TheCaretLandsOnTheErrorLineNotOnAnEarlierCopyOfIt) {
    load({"5", "00:00:05,000 --> 00:00:06,000", "x", "", "5", "bad"}, {0, 0, 4});
    EXPECT_EQ(editor.memoEdit->textCursor().blockNumber(), 4);
    EXPECT_EQ(editor.errorSelStart(), 35);
    EXPECT_EQ(editor.errorSelLength(), 1);
}

TEST_F(Editor, AnEmptyErrorLineGivesAnEmptySelection) {
    load({"a", "", "b"}, {1, 0, 0});
    EXPECT_EQ(editor.errorSelStart(), 2);
    EXPECT_EQ(editor.errorSelLength(), 0);
    editor.cmdGoClick();
    EXPECT_EQ(caret(), 2);
    EXPECT_EQ(selected(), "");
}

TEST_F(Editor, AnErrorLinePastTheEndStillOpensWithTheErrorShown) {
    load({"a", "b"}, {0, 0, 1});
    load({"a", "b"}, {0, 0, 9}, {"", "", "(Line:9)"});
    EXPECT_EQ(editor.lblInfo->text(), "SubRip file");
    EXPECT_EQ(caret(), 0);
    EXPECT_EQ(editor.errorSelStart(), 2);
    EXPECT_EQ(editor.errorSelLength(), 1);
}

TEST_F(Editor, ShowErrorSelectsTheStoredRangeEvenAfterEdits) {
    load({"good", "bad line"}, {1, 0, 0});
    editor.memoEdit->moveCursor(QTextCursor::Start);
    editor.cmdGoClick();
    EXPECT_EQ(selected(), "bad line");
    editor.memoEdit->moveCursor(QTextCursor::Start);
    editor.memoEdit->insertPlainText(QStringLiteral("XX"));
    editor.cmdGoClick();
    // The same offsets, whatever the text now holds (a selection shows a line break as U+2029).
    EXPECT_EQ(selected(), QStringLiteral("d\u2029bad li"));
}

TEST_F(Editor, CaptionCountsTheCaretLineWhenAKeyGoesDown) {
    load({"a", "b", "c"});
    editor.show();
    QTextCursor c = editor.memoEdit->textCursor();
    c.setPosition(4);
    editor.memoEdit->setTextCursor(c);
    QTest::keyClick(editor.memoEdit, Qt::Key_Down);
    EXPECT_EQ(editor.windowTitle(), "Subtitle Editor (Line:3)");
    EXPECT_EQ(editor.memoEdit->textCursor().blockNumber(), 3);
    editor.hide();
    load({"a"});
    EXPECT_EQ(editor.windowTitle(), "Subtitle Editor (Line:3)");
}

class FindReplace : public Editor {};

TEST_F(FindReplace, FindNextWalksForwardAndThenKeepsSayingThereAreNoOthers) {
    load({"an apple and an egg"});
    editor.cmdFindClick();
    findText(QStringLiteral("an"));
    editor.ReplaceDlgFind();
    EXPECT_EQ(caret(), 2);
    EXPECT_EQ(selected(), "an");
    editor.ReplaceDlgFind();
    EXPECT_EQ(editor.searchPos(), 11);
    editor.ReplaceDlgFind();
    EXPECT_EQ(editor.searchPos(), 15);
    editor.ReplaceDlgFind();
    editor.ReplaceDlgFind();
    EXPECT_EQ(dialogs.messages,
              (std::vector<QString>{"There are no other an", "There are no other an"}));
    EXPECT_EQ(editor.searchPos(), 15);
    editor.cmdFindClick();
    EXPECT_EQ(editor.searchPos(), 0);
    editor.ReplaceDlgFind();
    EXPECT_EQ(selected(), "an");
    EXPECT_EQ(caret(), 2);
}

TEST_F(FindReplace, SearchesMatchCase) {
    load({"Abc abc"});
    editor.cmdFindClick();
    findText(QStringLiteral("abc"));
    editor.ReplaceDlgFind();
    EXPECT_EQ(caret(), 7);
}

TEST_F(FindReplace, EditsBeforeTheFoundTextDoNotMoveTheSearchPosition) {
    load({"xx ab ab"});
    editor.cmdFindClick();
    findText(QStringLiteral("ab"));
    editor.ReplaceDlgFind();
    EXPECT_EQ(editor.searchPos(), 5);
    editor.memoEdit->moveCursor(QTextCursor::Start);
    editor.memoEdit->insertPlainText(QStringLiteral("1234"));
    editor.ReplaceDlgFind();
    // The search goes on from offset 5, so it finds the same "ab" again, now at 7.
    EXPECT_EQ(caret(), 9);
    EXPECT_EQ(editor.searchPos(), 9);
}

TEST_F(FindReplace, ReplaceOnlySelectsTheNextOccurrence) {
    load({"cat cat"});
    editor.cmdFindClick();
    findText(QStringLiteral("cat"), QStringLiteral("dog"));
    editor.ReplaceDlgReplace(false);
    EXPECT_EQ(selected(), "cat");
    EXPECT_EQ(editor.editorText(), "cat cat\n");
}

TEST_F(FindReplace, ReplaceAllDoublesEachLetterOnce) {
    load({"a a"});
    editor.cmdFindClick();
    findText(QStringLiteral("a"), QStringLiteral("aa"));
    editor.ReplaceDlgReplace(true);
    EXPECT_EQ(editor.editorText(), "aa aa\n");
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"2 a where replaced by aa"});
    EXPECT_EQ(editor.searchPos(), 0);
}

TEST_F(FindReplace, ReplaceAllOfAWordTwiceInARow) {
    load({"thethe end"});
    editor.cmdFindClick();
    findText(QStringLiteral("the"), QStringLiteral("X"));
    editor.ReplaceDlgReplace(true);
    EXPECT_EQ(editor.editorText(), "XX end\n");
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"2 the where replaced by X"});
}

TEST_F(FindReplace, ReplaceAllStartsAtTheSearchPosition) {
    load({"ab ab ab"});
    editor.cmdFindClick();
    findText(QStringLiteral("ab"), QStringLiteral("Z"));
    editor.ReplaceDlgFind();
    editor.ReplaceDlgReplace(true);
    EXPECT_EQ(editor.editorText(), "ab Z Z\n");
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"2 ab where replaced by Z"});
}

TEST_F(FindReplace, NothingToReplaceReportsZero) {
    load({"abc"});
    editor.cmdFindClick();
    findText(QStringLiteral("x"), QStringLiteral("y"));
    editor.ReplaceDlgReplace(true);
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"0 x where replaced by y"});
}

TEST_F(FindReplace, AnEmptyFindTextReplacesNothingAndEnds) {
    load({"abc"});
    editor.cmdFindClick();
    findText(QString(), QStringLiteral("y"));
    editor.ReplaceDlgReplace(true);
    EXPECT_EQ(editor.editorText(), "abc\n");
    EXPECT_EQ(dialogs.messages, std::vector<QString>{"0  where replaced by y"});
}

TEST_F(FindReplace, TheDialogIsModelessAndOffersOnlyItsFourButtons) {
    load({"abc"});
    editor.cmdFindClick();
    EXPECT_TRUE(editor.ReplaceDlg->isVisible());
    EXPECT_FALSE(editor.ReplaceDlg->isModal());
    const auto buttons = editor.ReplaceDlg->findChildren<QPushButton*>();
    QStringList captions;
    for (auto* b : buttons)
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{"Find Next", "Replace", "Replace All", "Cancel"}));
    EXPECT_EQ(editor.ReplaceDlg->txtFind->maxLength(), 255);
    EXPECT_EQ(editor.ReplaceDlg->txtReplace->maxLength(), 255);
    editor.ReplaceDlg->cmdCancel->click();
    EXPECT_FALSE(editor.ReplaceDlg->isVisible());
}

class EditorSave : public Editor {};

TEST_F(EditorSave, YesReplacesTheLinesAndCloses) {
    load({"a", "b"});
    editor.show();
    editor.memoEdit->setPlainText(QStringLiteral("x\r\ny\rz\n"));
    dialogs.answers.push_back(Answer::Yes);
    editor.cmdSave->click();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0],
              "Save Changes to Subtitle file? (Original file will not be changed)");
    EXPECT_EQ(dialogs.titles[0], "Confirm");
    EXPECT_EQ(doc.SubtitleLines, (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(EditorSave, TheLastLineNeedsNoLineBreak) {
    load({"a"});
    editor.memoEdit->setPlainText(QStringLiteral("x\ny"));
    dialogs.answers.push_back(Answer::Yes);
    editor.cmdSave->click();
    EXPECT_EQ(doc.SubtitleLines, (std::vector<std::string>{"x", "y"}));
}

TEST_F(EditorSave, NoClosesAndDiscardsTheEdits) {
    load({"a"});
    editor.show();
    editor.memoEdit->setPlainText(QStringLiteral("x"));
    dialogs.answers.push_back(Answer::No);
    editor.cmdSave->click();
    EXPECT_EQ(doc.SubtitleLines, std::vector<std::string>{"a"});
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(EditorSave, CancelKeepsTheWindowOpenWithTheEdits) {
    load({"a"});
    editor.show();
    editor.memoEdit->setPlainText(QStringLiteral("x"));
    dialogs.answers.push_back(Answer::Cancel);
    editor.cmdSave->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.editorText(), "x");
    EXPECT_EQ(doc.SubtitleLines, std::vector<std::string>{"a"});
}

class EditorKeys : public Editor {};

TEST_F(EditorKeys, EscapeClosesWithoutAQuestion) {
    load({"a"});
    editor.show();
    editor.memoEdit->setPlainText(QStringLiteral("x"));
    QTest::keyClick(editor.memoEdit, Qt::Key_Escape);
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(doc.SubtitleLines, std::vector<std::string>{"a"});
}

TEST_F(EditorKeys, CtrlFOpensFindAndResetsTheSearch) {
    load({"ab ab"});
    editor.show();
    editor.cmdFindClick();
    findText(QStringLiteral("ab"));
    editor.ReplaceDlgFind();
    ASSERT_EQ(editor.searchPos(), 2);
    editor.ReplaceDlg->hide();
    QTest::keyClick(editor.memoEdit, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(editor.ReplaceDlg->isVisible());
    EXPECT_EQ(editor.searchPos(), 0);
    EXPECT_EQ(editor.editorText(), "ab ab\n");
}

TEST_F(EditorKeys, CtrlSAsksToSave) {
    load({"a"});
    editor.show();
    dialogs.answers.push_back(Answer::Yes);
    QTest::keyClick(editor.cmdGo, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_FALSE(editor.isVisible());
}

struct BytesCase {
    const char* name;
    std::string bytes;
    const char* codePage; // empty for UTF-8
};

class EditorBytes : public Editor, public testing::WithParamInterface<BytesCase> {
  protected:
    void SetUp() override {
        Editor::SetUp();
        if (*GetParam().codePage)
            codec = TextCodec::CodePage(GetParam().codePage);
        doc.SubtitleLines = LineStore::Split(GetParam().bytes);
        editor.LoadForEditing(velkar::ErrorLineArray{}, {});
    }
    void save() {
        dialogs.answers.push_back(Answer::Yes);
        editor.cmdSave->click();
    }
};

TEST_P(EditorBytes, SavedWithoutAChangeKeepEveryByte) {
    save();
    EXPECT_EQ(JoinLines(doc.SubtitleLines), GetParam().bytes);
}

TEST_P(EditorBytes, AnEditChangesOnlyWhatWasTyped) {
    // Lines split only where the file had line ends, each keeping its own; U+2029, U+FDD0 and
    // U+FDD1 stay characters of their lines.
    QTextCursor cursor = editor.memoEdit->textCursor();
    cursor.setPosition(0);
    cursor.insertText(QStringLiteral("X"));
    save();
    EXPECT_EQ(JoinLines(doc.SubtitleLines), "X" + GetParam().bytes);
}

TEST_P(EditorBytes, ALineTypedAtTheEndTakesTheFirstLineEnd) {
    QTextCursor cursor = editor.memoEdit->textCursor();
    cursor.movePosition(QTextCursor::End);
    const bool ended = editor.editorText().endsWith(QLatin1Char('\n'));
    cursor.insertText(ended ? QStringLiteral("new\n") : QStringLiteral("\nnew"));
    save();
    const LineStore before = LineStore::Split(GetParam().bytes);
    const std::string end(LineBreakBytes(before.NewLineBreak()));
    EXPECT_EQ(JoinLines(doc.SubtitleLines), GetParam().bytes + (ended ? "new" + end : end + "new"));
}

TEST_P(EditorBytes, ALineInsertedOrDeletedAtTheTopMovesNoOtherLineEnd) {
    const std::string bytes = GetParam().bytes;
    const LineStore before = LineStore::Split(bytes);
    QTextCursor cursor = editor.memoEdit->textCursor();
    cursor.setPosition(0);
    cursor.insertText(QStringLiteral("new\n"));
    save();
    const std::string end(LineBreakBytes(before.NewLineBreak()));
    EXPECT_EQ(JoinLines(doc.SubtitleLines), "new" + end + bytes);

    if (before.size() < 2)
        return;
    doc.SubtitleLines = before;
    editor.LoadForEditing(velkar::ErrorLineArray{}, {});
    cursor = editor.memoEdit->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(static_cast<int>(editor.editorText().indexOf(QLatin1Char('\n'))) + 1,
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    save();
    EXPECT_EQ(JoinLines(doc.SubtitleLines),
              bytes.substr(before[0].size() + LineBreakBytes(before.lineBreak(0)).size()));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, EditorBytes,
    testing::Values(
        BytesCase{"Separators",
                  "a\xE2\x80\xA9"
                  "b\r\nc\xEF\xB7\x90"
                  "d\ne\xEF\xB7\x91"
                  "f\rg",
                  ""},
        BytesCase{"PrivateUseBesideASeparator", "\xEE\x80\x80\xE2\x80\xA9\xEE\x80\x81\n\n", ""},
        BytesCase{"LineSeparatorAndTab", "x\xE2\x80\xA8y\tz\r\n", ""},
        BytesCase{"CrOnly", "1\r00:00:01,000 --> 00:00:02,000\rHi\r\r", ""},
        BytesCase{"EightBitWithoutFinalLineEnd", "caf\xE9\r\nna\xEFve\n\x81", "WINDOWS-1252"},
        // 0x5C is the second byte of a Shift_JIS character; a cut character ends the text.
        BytesCase{"ShiftJisWithBackslashSecondBytes", "\x95\x5C\x8E\xA6\\N\r\n\x95", "SHIFT_JIS"},
        // A character beyond U+FFFF, bytes that do not make one, a lead byte before a line end.
        BytesCase{"Gb18030", "\x95\x32\x82\x36 \xD7\xD6\xFF\x30\n\xD7\n", "GB18030"},
        BytesCase{"Empty", "", ""}),
    [](const testing::TestParamInfo<BytesCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace velkar::gui::test
