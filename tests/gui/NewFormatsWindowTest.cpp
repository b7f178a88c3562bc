#include "GuiTest.h"

#include "app/TextFit.h"
#include "document/Format.h"
#include "frmMain/MaskedTimeEdit.h"
#include "playback/OverlaySearch.h"
#include "subs/TfrmSubs.h"

#include <QComboBox>
#include <QPushButton>

namespace velkar::gui::test {
namespace {

// A small document of each format that announces itself, re-timed in the window by the worked
// example's anchors (every time doubled) and saved under a new name.
struct FormatCase {
    const char* name;
    const char* fileName;
    std::string bytes;
    SubtitleFormat format;
    MaskedTimeEdit::Mask mask;
    const char* firstShown; // the anchors as the fields show them
    const char* lastShown;
    const char* typedFirst;
    const char* typedLast;
    QString firstEntry;  // the dialog list's first entry: text without markup
    const char* overlay; // what the picture shows of the first subtitle
    std::string saved;
};

const FormatCase kCases[] = {
    {"ASS", "in.ass",
     "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n"
     "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
     "Dialogue: 0,0:00:01.00,0:00:03.00,Default,,0,0,0,,{\\i1}One{\\i0}\\NTwo\r\n"
     "Comment: 0,0:00:02.00,0:00:04.00,Default,,0,0,0,,note\r\n"
     "Dialogue: 0,0:00:10.00,0:00:12.00,Default,,0,0,0,,Three\r\n",
     sfASS, MaskedTimeEdit::Mask::HundredthsClock, "00:00:01.00", "00:00:10.00", "00:00:02.00",
     "00:00:20.00", QStringLiteral("1) One | Two"), "One\n\rTwo",
     "[Script Info]\r\nScriptType: v4.00+\r\n\r\n[Events]\r\n"
     "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
     "Dialogue: 0,0:00:02.00,0:00:06.00,Default,,0,0,0,,{\\i1}One{\\i0}\\NTwo\r\n"
     "Comment: 0,0:00:04.00,0:00:08.00,Default,,0,0,0,,note\r\n"
     "Dialogue: 0,0:00:20.00,0:00:24.00,Default,,0,0,0,,Three\r\n"},
    {"WebVTT", "in.vtt",
     "WEBVTT\r\n\r\nNOTE kept\r\n\r\n00:01.000 --> 00:03.000 align:start\r\n"
     "<i>One</i> &amp; <00:02.000>two\r\n\r\nid\r\n00:00:10.000 --> 00:00:12.000\r\nThree\r\n",
     sfWebVTT, MaskedTimeEdit::Mask::MillisecondsClock, "00:00:01.000", "00:00:10.000",
     "00:00:02.000", "00:00:20.000", QStringLiteral("1) One & two"), "One & two",
     "WEBVTT\r\n\r\nNOTE kept\r\n\r\n00:02.000 --> 00:06.000 align:start\r\n"
     "<i>One</i> &amp; <00:04.000>two\r\n\r\nid\r\n00:00:20.000 --> 00:00:24.000\r\nThree\r\n"},
    // An HLS segment's cues count from the stream's start: four hour digits in the fields.
    {"WebVttHls", "hls.vtt",
     "WEBVTT\nX-TIMESTAMP-MAP=LOCAL:1086:59:52.424,MPEGTS:183000\n\n"
     "1088:42:00.500 --> 1088:42:07.000\nOne\n\n1088:42:07.000 --> 1088:42:11.890\nTwo\n",
     sfWebVTT, MaskedTimeEdit::Mask::MillisecondsClock, "1088:42:00.500", "1088:42:07.000",
     "1088:42:01.500", "1088:42:08.000", QStringLiteral("1) One"), "One",
     "WEBVTT\nX-TIMESTAMP-MAP=LOCAL:1086:59:52.424,MPEGTS:183000\n\n"
     "1088:42:01.500 --> 1088:42:08.000\nOne\n\n1088:42:08.000 --> 1088:42:12.890\nTwo\n"},
    // A time before the film's start keeps its sign in the field.
    {"AssNegative", "neg.ass",
     "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Text\n"
     "Dialogue: 0,-0:00:01.00,0:00:03.00,One\nDialogue: 0,0:00:10.00,0:00:12.00,Two\n",
     sfASS, MaskedTimeEdit::Mask::HundredthsClock, "-0:00:01.00", "00:00:10.00", "00:00:01.00",
     "00:00:12.00", QStringLiteral("1) One"), "One",
     "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Text\n"
     "Dialogue: 0,0:00:01.00,0:00:05.00,One\nDialogue: 0,0:00:12.00,0:00:14.00,Two\n"},
    {"MPL2", "in.txt", "[10][30]/One|two\r\n[100][120]Three\r\n", sfMPL2,
     MaskedTimeEdit::Mask::TenthsClock, "00:00:01.0", "00:00:10.0", "00:00:02.0", "00:00:20.0",
     QStringLiteral("1) One | two"), "One\n\rtwo", "[20][60]/One|two\r\n[200][240]Three\r\n"},
};

class NewFormatWindow : public GuiTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(NewFormatWindow, OpensShowsTextWithoutMarkupRetimesAndSaves) {
    const FormatCase& c = GetParam();
    start();
    openBytes(c.bytes, QString::fromLatin1(c.fileName));
    ASSERT_EQ(form().document().SubtitleFormat, c.format);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().txtFirst->mask(), c.mask);
    EXPECT_EQ(form().txtFirst->displayText(), c.firstShown);
    EXPECT_EQ(form().txtLast->displayText(), c.lastShown);
    // Shown whole, however many hour digits.
    EXPECT_TRUE(TextFits(form().txtFirst, form().txtFirst->displayText()));
    ASSERT_GE(form().cboDialogs->count(), 1);
    EXPECT_EQ(form().cboDialogs->itemText(0), c.firstEntry);
    EXPECT_EQ(FindCurrentSubtitle(form().document(), form().document().start(0)).text, c.overlay);
    // The list viewer shows every line without markup.
    const RowListView* viewer = windows().frmSubs().lstSubs;
    ASSERT_EQ(viewer->count(), static_cast<int>(form().document().SubtitleLines.size()));
    for (int row = 0; row < viewer->count(); ++row)
        EXPECT_FALSE(viewer->text(row).contains(QLatin1Char('{')) ||
                     viewer->text(row).contains(QStringLiteral("<i>")))
            << viewer->text(row).toStdString();

    form().txtFirst->setText(QString::fromLatin1(c.typedFirst));
    form().txtLast->setText(QString::fromLatin1(c.typedLast));
    form().cmdStretch->click();
    EXPECT_TRUE(dialogs.messages.empty())
        << (dialogs.messages.empty() ? std::string() : dialogs.messages[0].toStdString());
    dialogs.files.push_back(tempPath(QStringLiteral("fixed")));
    form().cmdSave->click();
    const std::string extension(FindFormat(c.format)->extension);
    EXPECT_EQ(ReadBytes(tempPath(QStringLiteral("fixed") + QString::fromStdString(extension))),
              c.saved);
}

INSTANTIATE_TEST_SUITE_P(Formats, NewFormatWindow, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
} // namespace velkar::gui::test
