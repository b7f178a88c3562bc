// The window keeps a file's bytes: line ends, a last line without one, the byte-order mark and
// UTF-16 survive Fix Synch and Save As, and the editor left without a change; files in East Asian
// character sets show their text and keep their bytes.

#include "GuiTest.h"

#include "document/Format.h"
#include "document/Unicode.h"
#include "edit/TfrmEdit.h"
#include "frmMain/MaskedTimeEdit.h"

#include <QComboBox>
#include <QPushButton>

namespace velkar::gui::test {
namespace {

struct Style {
    const char* name;
    const char* end;  // after every line but the last
    bool finalEnd;    // after the last line
    std::string mark; // "", or a UTF-8 or UTF-16 byte-order mark
};

// The worked example of the re-timing, with a text holding U+2029 and a letter beyond U+FFFF.
std::vector<std::string> Lines(bool retimed) {
    return {"1",
            retimed ? "00:00:02,000 --> 00:00:06,000" : "00:00:01,000 --> 00:00:03,000",
            "One \xE2\x80\xA9 \xF0\x9F\x98\x80",
            "",
            "2",
            retimed ? "00:00:08,000 --> 00:00:12,000" : "00:00:04,000 --> 00:00:06,000",
            "Two",
            "",
            "3",
            retimed ? "00:00:20,000 --> 00:00:24,000" : "00:00:10,000 --> 00:00:12,000",
            "Three"};
}

std::string Bytes(const Style& style, bool retimed) {
    std::string text;
    const std::vector<std::string> lines = Lines(retimed);
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() || style.finalEnd ? style.end : "");
    if (style.mark == kUtf16LeByteOrderMark || style.mark == kUtf16BeByteOrderMark)
        return style.mark + Utf8ToUtf16(text, style.mark == kUtf16BeByteOrderMark);
    return style.mark + text;
}

class FileBytesInTheWindow : public GuiTest, public testing::WithParamInterface<Style> {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
        openBytes(Bytes(GetParam(), false), QStringLiteral("in.srt"));
        ASSERT_TRUE(form().document().SubtitleLoaded);
    }
    std::string saved() {
        dialogs.files.push_back(tempPath("out.srt"));
        form().cmdSave->click();
        return ReadBytes(tempPath("out.srt"));
    }
};

TEST_P(FileBytesInTheWindow, FixSynchChangesOnlyTheTimeFields) {
    form().txtFirst->setText(QStringLiteral("00:00:02,000"));
    form().txtLast->setText(QStringLiteral("00:00:20,000"));
    form().cmdStretch->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(saved(), Bytes(GetParam(), true));
}

TEST_P(FileBytesInTheWindow, TheEditorLeftWithoutAChangeChangesNoByte) {
    modal.then([&](QWidget* w) {
        dialogs.answers.push_back(Answer::Yes);
        qobject_cast<TfrmEdit*>(w)->cmdSave->click();
    });
    form().cmdEdit->click();
    EXPECT_EQ(saved(), Bytes(GetParam(), false));
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FileBytesInTheWindow,
    testing::Values(Style{"LfUnended", "\n", false, ""}, Style{"CrEnded", "\r", true, ""},
                    Style{"CrLfUtf8Mark", "\r\n", true, std::string(kUtf8ByteOrderMark)},
                    Style{"LfUtf16Le", "\n", true, std::string(kUtf16LeByteOrderMark)},
                    Style{"CrLfUnendedUtf16Be", "\r\n", false, std::string(kUtf16BeByteOrderMark)}),
    [](const testing::TestParamInfo<Style>& info) { return std::string(info.param.name); });

struct EastAsianFile {
    const char* name;
    const char* file;
    QString firstEntry; // the dialog list's first entry, as `iconv` reads the file
};

class EastAsianFileInTheWindow : public GuiTest,
                                 public testing::WithParamInterface<EastAsianFile> {};

TEST_P(EastAsianFileInTheWindow, ShowsItsTextAndTheEditorKeepsEveryByte) {
    start();
    ASSERT_TRUE(openCorpus(GetParam().file));
    ASSERT_TRUE(form().document().SubtitleLoaded);
    ASSERT_GE(form().cboDialogs->count(), 1);
    EXPECT_EQ(form().cboDialogs->itemText(0), GetParam().firstEntry);

    QString shown;
    modal.then([&](QWidget* w) {
        auto* editor = qobject_cast<TfrmEdit*>(w);
        shown = editor->editorText();
        dialogs.answers.push_back(Answer::Yes);
        editor->cmdSave->click();
    });
    form().cmdEdit->click();
    EXPECT_TRUE(shown.contains(GetParam().firstEntry.mid(3)));
    dialogs.files.push_back(tempPath(QStringLiteral("out")));
    form().cmdSave->click();
    const std::string extension(FindFormat(form().document().SubtitleFormat)->extension);
    EXPECT_EQ(ReadBytes(tempPath(QStringLiteral("out") + QString::fromStdString(extension))),
              ReadBytes(CorpusFile(GetParam().file)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, EastAsianFileInTheWindow,
    testing::Values(EastAsianFile{"Gb2312", "srt/cdown-srt-gb2312.srt",
                                  QStringLiteral("1) 宇宙守护神  保护我们远离邪恶")},
                    EastAsianFile{"EucJp", "mpl2/subtitleeditor-mpl2-eucjp.txt",
                                  QStringLiteral("1) 左に見えるのは…")}),
    [](const testing::TestParamInfo<EastAsianFile>& info) { return std::string(info.param.name); });

} // namespace
} // namespace velkar::gui::test
