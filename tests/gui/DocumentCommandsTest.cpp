#include "GuiTest.h"

#include "document/LineIo.h"
#include "edit/TfrmEdit.h"
#include "frmMain/MaskedTimeEdit.h"
#include "subs/TfrmSubs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>

#include <filesystem>
#include <sys/stat.h>

namespace velkar::gui::test {
namespace {

const char* const kSubRip = "srt/gaupol-2008-subrip.sample.srt";
const char* const kMicroDVD = "microdvd/gaupol-2008-microdvd.sample.sub";
const char* const kSubViewer = "subviewer/mantasdone-subviewer-with-headers-utf8bom.sub";

// Three subtitles; the worked example of the re-timing.
const std::string kThreeSubtitles = "1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n"
                                    "2\r\n00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n"
                                    "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree\r\n";

QStringList ViewerLines(Windows& w) {
    QStringList lines;
    for (int i = 0; i < w.frmSubs().lstSubs->count(); ++i)
        lines << w.frmSubs().lstSubs->text(i);
    return lines;
}

TfrmEdit* Editor(QWidget* modal) {
    auto* editor = qobject_cast<TfrmEdit*>(modal);
    EXPECT_NE(editor, nullptr) << "the modal window is not the editor";
    return editor;
}

// Presses "Save Changes" in the editor and answers the question with `answer`.
void SaveEditor(ScriptedDialogs& dialogs, TfrmEdit* editor, Answer answer) {
    dialogs.answers.push_back(answer);
    editor->cmdSave->click();
}

class OpenSubtitle : public GuiTest {};

TEST_F(OpenSubtitle, ASubRipFileFillsTheViewerAndShowsTheAnchors) {
    start();
    VELKAR_OPEN_CORPUS(kSubRip);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].title, "Open Subtitle File");
    EXPECT_EQ(dialogs.fileRequests[0].filter,
              "Subtitles (*.sub *.srt *.txt *.mpl2 *.vtt *.ass *.ssa);;All Files (*)");
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "");
    EXPECT_TRUE(dialogs.messages.empty());

    const SubtitleDocument& doc = form().document();
    EXPECT_TRUE(doc.SubtitleLoaded);
    EXPECT_EQ(doc.SubtitleFormat, sfSubRip);
    EXPECT_EQ(doc.SubtitleCount, 10);
    EXPECT_EQ(doc.FirstAnchor, 0);
    EXPECT_EQ(doc.LastAnchor, 9);
    EXPECT_EQ(ViewerLines(windows()).size(), 44);
    EXPECT_EQ(ViewerLines(windows())[1], "00:00:59,188 --> 00:01:03,198");
    // Text lines show without their markup ("<i>Obviously, it was a big shock.</i>").
    EXPECT_TRUE(ViewerLines(windows()).contains(QStringLiteral("Obviously, it was a big shock.")));
    EXPECT_EQ(form().txtFirst->mask(), MaskedTimeEdit::Mask::SubRipClock);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:59,188");
    EXPECT_EQ(form().txtFirst->toolTip(),
              "I always wanted to leave my country | and go somewhere else.");
    EXPECT_EQ(form().txtLast->displayText(), "00:01:38,764");
    EXPECT_EQ(form().txtLast->toolTip(), "Obviously, it was a big shock.");
    EXPECT_EQ(form().cboDialogs->count(), 10);
    EXPECT_EQ(form().pgrBar->value(), 0);
    EXPECT_EQ(form().player().unit(), playback::PlayerUnit::Milliseconds);
}

TEST_F(OpenSubtitle, AMicroDVDFileTakesFrameNumbers) {
    start();
    VELKAR_OPEN_CORPUS(kMicroDVD);
    EXPECT_EQ(form().document().SubtitleFormat, sfMicroDVD);
    EXPECT_EQ(form().txtFirst->mask(), MaskedTimeEdit::Mask::Frames);
    EXPECT_EQ(form().txtFirst->displayText(), "1419");
    EXPECT_EQ(form().txtLast->displayText(), "2368");
    EXPECT_EQ(form().txtFirst->toolTip(),
              "I always wanted to leave my country | and go somewhere else.");
    EXPECT_EQ(form().player().unit(), playback::PlayerUnit::Frames);
}

TEST_F(OpenSubtitle, ASubViewerFileTakesHundredths) {
    start();
    VELKAR_OPEN_CORPUS(kSubViewer);
    EXPECT_EQ(form().document().SubtitleFormat, sfSubViewer2);
    EXPECT_EQ(form().txtFirst->mask(), MaskedTimeEdit::Mask::HundredthsClock);
    EXPECT_EQ(form().txtFirst->displayText(), "00:02:17.44");
    EXPECT_EQ(form().txtFirst->toolTip(),
              "Senator, we're making | our final approach into Coruscant.");
    EXPECT_EQ(form().player().unit(), playback::PlayerUnit::Milliseconds);
}

TEST_F(OpenSubtitle, AnUnsupportedFileIsNamedAfterTheFieldsAreSet) {
    start();
    VELKAR_OPEN_CORPUS(kMicroDVD);
    QString fieldAtMessage;
    dialogs.onInformation = [&](const QString&) {
        fieldAtMessage = form().txtFirst->displayText();
    };
    VELKAR_OPEN_CORPUS("microdvd/subtitlesparser-20140120-074450-NOT-microdvd-mpl2.txt");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "The Subtitle file you selected is not supported by Velkar");
    EXPECT_EQ(dialogs.titles[0], "Velkar");
    EXPECT_EQ(fieldAtMessage, "00:00:00.00");
    EXPECT_FALSE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleFormat, sfUnknown);
    EXPECT_EQ(form().player().unit(), playback::PlayerUnit::Milliseconds);
}

TEST_F(OpenSubtitle, CancellingLeavesTheLoadedDocument) {
    start();
    VELKAR_OPEN_CORPUS(kSubRip);
    dialogs.files.push_back(QString());
    form().cmdOpenSubtitle->click();
    EXPECT_TRUE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleCount, 10);
}

TEST_F(OpenSubtitle, AnEmptyFileUnloadsSilentlyAndLeavesTheFields) {
    start();
    VELKAR_OPEN_CORPUS(kSubRip);
    openBytes("");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:59,188");
}

TEST_F(OpenSubtitle, ADocumentWithoutSubtitlesOpensWithEmptyAnchors) {
    start();
    // A MicroDVD frame-rate line and nothing else: no subtitle.
    openBytes("{1}{1}25\r\n", QStringLiteral("rate.sub"));
    const SubtitleDocument& doc = form().document();
    ASSERT_EQ(doc.SubtitleFormat, sfMicroDVD);
    EXPECT_TRUE(doc.SubtitleLoaded);
    EXPECT_EQ(doc.SubtitleCount, 0);
    EXPECT_EQ(form().txtFirst->displayText(), "0");
    EXPECT_EQ(form().txtFirst->toolTip(), "");
    EXPECT_EQ(form().txtLast->toolTip(), "");
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Subtitle Format:\tMicroDVD player\n\rFrame Rate:\t25\n\r"
                                   "Total Lines:\t1\n\rFirst Subtitle:\t\n\rLast Subtitle:\t");
    form().cmdStretch->click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(form().document().SubtitleLines[0], "{1}{1}25");
}

class DamagedFile : public GuiTest {};

// A damaged file that mending cannot put right (a negative time further on).
const std::string kUnmendable = "1\r\n00:00:01 --> 00:00:10\r\nOne\r\n\r\n"
                                "2\r\n-00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n";

TEST_F(DamagedFile, AskingNoLeavesItNotLoaded) {
    start();
    dialogs.answers.push_back(Answer::No);
    openBytes(kUnmendable);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(dialogs.choiceTexts.empty());
    EXPECT_EQ(dialogs.questions[0],
              "The Subtitle file seems to be a SubRip file, but it has at least one error:"
              "(Line:2)\n\r00:00:01 --> 00:00:10\n\r\n\rTry to fix errors?");
    EXPECT_EQ(dialogs.titles[0], "Velkar");
    EXPECT_FALSE(form().document().SubtitleLoaded);
    // No document at all: not the damaged one, nor anything of it.
    EXPECT_TRUE(form().document().SubtitleLines.empty());
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:00.00");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DamagedFile, EditOpensTheEditorAtTheErrorAndTheRepairLoads) {
    start();
    dialogs.choices.push_back(1); // Edit...
    modal.then([&](QWidget* w) {
        TfrmEdit* editor = Editor(w);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->lblInfo->text(), "SubRip file");
        EXPECT_EQ(editor->lblError->text(), "Error at: (Line:2)\n00:00:01 --> 00:00:10");
        EXPECT_EQ(editor->memoEdit->textCursor().blockNumber(), 1);
        EXPECT_EQ(editor->memoEdit->textCursor().positionInBlock(), 0);
        QTextCursor line = editor->memoEdit->textCursor();
        line.select(QTextCursor::LineUnderCursor);
        line.insertText(QStringLiteral("00:00:01,000 --> 00:00:10,000"));
        SaveEditor(dialogs, editor, Answer::Yes);
    });
    VELKAR_OPEN_CORPUS("srt/pysrt-invalid.srt");
    EXPECT_EQ(dialogs.questions.size(), 1u); // the editor's save question
    EXPECT_TRUE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleFormat, sfSubRip);
    EXPECT_EQ(form().document().SubtitleCount, 1);
    EXPECT_EQ(form().txtLast->displayText(), "00:00:01,000");
    EXPECT_EQ(ViewerLines(windows())[1], "00:00:01,000 --> 00:00:10,000");
}

TEST_F(DamagedFile, TheQuestionIsAskedAgainWhileTheFileStaysDamaged) {
    start();
    dialogs.answers.push_back(Answer::Yes);
    modal.then([&](QWidget* w) { Editor(w)->cmdCancel->click(); });
    dialogs.answers.push_back(Answer::No);
    openBytes(kUnmendable);
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

TEST_F(DamagedFile, ALongErrorLineCutsTheQuestionAt255Characters) {
    start();
    dialogs.answers.push_back(Answer::No);
    const std::string longLine = "00:00:01.000 --> 00:00:10,000 " + std::string(300, 'x');
    openBytes("1\r\n" + longLine +
              "\r\nOne\r\n\r\n2\r\n-00:00:04,000 --> 00:00:06,000\r\nTwo\r\n\r\n");
    ASSERT_EQ(dialogs.questions.size(), 1u);
    const std::string expected =
        ("The Subtitle file seems to be a SubRip file, but it has at least one error:(Line:2)\n\r" +
         longLine)
            .substr(0, 255);
    EXPECT_EQ(dialogs.questions[0].size(), 255);
    EXPECT_EQ(dialogs.questions[0].toStdString(), expected);
}

class SaveAs : public GuiTest {
  protected:
    void saveAs(const QString& name) {
        dialogs.files.push_back(tempPath(name));
        form().cmdSave->click();
    }
};

TEST_F(SaveAs, DoesNothingWithoutALoadedDocument) {
    start();
    form().cmdSave->click();
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(SaveAs, ANameWithoutExtensionTakesTheFormatsOne) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    saveAs(QStringLiteral("subs"));
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].title, "Save the fixed Subtitle to a new file");
    EXPECT_EQ(dialogs.fileRequests[1].filter,
              "Subtitles (*.sub *.srt *.txt *.mpl2 *.vtt *.ass *.ssa);;All Files (*)");
    EXPECT_EQ(dialogs.fileRequests[1].defaultSuffix, "");
    EXPECT_EQ(ReadBytes(tempPath("subs.srt")), kThreeSubtitles);
    EXPECT_EQ(form().document().SubtitleFileName, tempPath("subs.srt").toStdString());
    EXPECT_FALSE(QFile::exists(tempPath("subs")));
}

TEST_F(SaveAs, ANameWithAnExtensionIsKept) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    saveAs(QStringLiteral("subs.txt"));
    EXPECT_EQ(ReadBytes(tempPath("subs.txt")), kThreeSubtitles);
}

TEST_F(SaveAs, TheDescriptorsMvdExtensionNeverReachesASubtitleFile) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    // "Make MVD File" saved a descriptor through the shared dialog first.
    modal.then([&](QWidget* w) {
        dialogs.files.push_back(tempPath("film.mvd"));
        w->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    });
    form().Button1->click();
    ASSERT_EQ(dialogs.fileRequests.back().defaultSuffix, "mvd");
    saveAs(QStringLiteral("subs"));
    EXPECT_EQ(dialogs.fileRequests.back().defaultSuffix, "");
    EXPECT_EQ(ReadBytes(tempPath("subs.srt")), kThreeSubtitles);
    EXPECT_FALSE(QFile::exists(tempPath("subs.mvd")));
}

TEST_F(SaveAs, TheDialogOpensInTheDocumentsFolderOnItsName) {
    start();
    ASSERT_TRUE(QDir().mkpath(tempPath("films")));
    WriteBytes(tempPath("films/in.srt"), kThreeSubtitles);
    open(tempPath("films/in.srt"));
    dialogs.files.push_back(QString());
    form().cmdSave->click();
    EXPECT_EQ(dialogs.fileRequests.back().folder, tempPath("films"));
    EXPECT_EQ(dialogs.fileRequests.back().fileName, "in.srt");
    // After a save, the next one starts from the new file.
    saveAs(QStringLiteral("other.txt"));
    dialogs.files.push_back(QString());
    form().cmdSave->click();
    EXPECT_EQ(dialogs.fileRequests.back().folder, QFileInfo(tempPath("x")).absolutePath());
    EXPECT_EQ(dialogs.fileRequests.back().fileName, "other.txt");
}

TEST_F(SaveAs, ACreatedDocumentIsProposedBesideItsPlainText) {
    start();
    ASSERT_TRUE(QDir().mkpath(tempPath("texts")));
    WriteBytes(tempPath("texts/dialogs.txt"), "One\r\nTwo\r\n");
    form().cmdCreate->click();
    dialogs.files.push_back(QString());
    form().cmdSave->click();
    EXPECT_EQ(dialogs.fileRequests.back().fileName, "");
    EXPECT_EQ(dialogs.fileRequests.back().folder, "");
    dialogs.files.push_back(tempPath("texts/dialogs.txt"));
    form().cmdLoadText->click();
    dialogs.files.push_back(QString());
    form().cmdSave->click();
    EXPECT_EQ(dialogs.fileRequests.back().folder, tempPath("texts"));
    EXPECT_EQ(dialogs.fileRequests.back().fileName, "dialogs.sub");
}

struct ReplaceCase {
    const char* existing; // the file already there, or nullptr
    const char* chosen;   // the name typed in the dialog
    const char* written;  // where the file goes
};

class Replacing : public SaveAs, public testing::WithParamInterface<ReplaceCase> {};

// The question names the file the format's extension makes, which the dialog could not see.
TEST_P(Replacing, AnExistingFileIsReplacedOnlyAfterYes) {
    const ReplaceCase& c = GetParam();
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    // Re-timed, so that the opened file and the document differ.
    form().txtFirst->setText(QStringLiteral("00:00:02,000"));
    form().txtLast->setText(QStringLiteral("00:00:20,000"));
    form().cmdStretch->click();
    const std::string retimed = "1\r\n00:00:02,000 --> 00:00:06,000\r\nOne\r\n\r\n"
                                "2\r\n00:00:08,000 --> 00:00:12,000\r\nTwo\r\n\r\n"
                                "3\r\n00:00:20,000 --> 00:00:24,000\r\nThree\r\n";
    if (c.existing && QString::fromLatin1(c.existing) != "in.srt")
        WriteBytes(tempPath(c.existing), "old");
    const std::string before = c.existing ? ReadBytes(tempPath(c.existing)) : std::string();

    // No: the dialog comes back on the name typed; cancelling it writes nothing.
    if (c.existing) {
        dialogs.answers.push_back(Answer::No);
        dialogs.files.push_back(tempPath(c.chosen));
        dialogs.files.push_back(QString());
        form().cmdSave->click();
        ASSERT_EQ(dialogs.questions.size(), 1u);
        EXPECT_EQ(dialogs.questions[0], QString::fromLatin1(c.written) +
                                            " already exists.\n\rDo you want to replace it?");
        EXPECT_EQ(dialogs.fileRequests.back().fileName, c.chosen);
        EXPECT_EQ(ReadBytes(tempPath(c.existing)), before);
        dialogs.answers.push_back(Answer::Yes);
    }
    saveAs(QString::fromLatin1(c.chosen));
    EXPECT_EQ(dialogs.questions.size(), c.existing ? 2u : 0u);
    EXPECT_EQ(ReadBytes(tempPath(c.written)), retimed);
    EXPECT_TRUE(dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    SaveAs, Replacing,
    testing::Values(ReplaceCase{nullptr, "new.srt", "new.srt"},
                    ReplaceCase{"old.srt", "old.srt", "old.srt"},
                    // The opened file itself, typed with and without its extension.
                    ReplaceCase{"in.srt", "in.srt", "in.srt"},
                    ReplaceCase{"in.srt", "in", "in.srt"},
                    // "subs" alone is free, "subs.srt" is not.
                    ReplaceCase{"subs.srt", "subs", "subs.srt"}));

TEST_F(SaveAs, KeepsTheLineEndsTheFileHad) {
    start();
    openBytes("1\n00:00:01,000 --> 00:00:02,000\nA\n", QStringLiteral("in.srt"));
    saveAs(QStringLiteral("out.srt"));
    EXPECT_EQ(ReadBytes(tempPath("out.srt")), "1\n00:00:01,000 --> 00:00:02,000\nA\n");
    EXPECT_EQ(ReadBytes(tempPath("in.srt")), "1\n00:00:01,000 --> 00:00:02,000\nA\n");
}

TEST_F(SaveAs, UsesTheWholeOfALongPath) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    QString folder = tempPath(QString(120, QLatin1Char('d')));
    folder += QLatin1Char('/') + QString(120, QLatin1Char('e'));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/subs");
    ASSERT_GT(target.size(), 255);
    dialogs.files.push_back(target);
    form().cmdSave->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadBytes(target + ".srt"), kThreeSubtitles);
}

TEST_F(SaveAs, AFolderThatCannotBeWrittenIsReported) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    const QString target = tempPath("no/such/folder/subs.srt");
    dialogs.files.push_back(target);
    form().cmdSave->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Cannot create file " + target + ": No such file or directory");
    EXPECT_EQ(form().document().SubtitleFileName, tempPath("in.srt").toStdString());
}

// A link is followed: the file it names gets the new bytes and keeps its mode, the link stays.
// A pipe is no file to save into: refused with the reason, and left a pipe.
TEST_F(SaveAs, ALinkIsFollowedAndAPipeIsRefused) {
    start();
    openBytes(kThreeSubtitles, QStringLiteral("in.srt"));
    const QString real = tempPath("real.srt"), link = tempPath("link.srt");
    WriteBytes(real, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(real, link));
    dialogs.answers.push_back(Answer::Yes); // "link.srt already exists."
    dialogs.files.push_back(link);
    form().cmdSave->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(real), kThreeSubtitles);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const QString pipe = tempPath("pipe.srt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    dialogs.answers.push_back(Answer::Yes);
    dialogs.files.push_back(pipe);
    form().cmdSave->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Cannot create file " + pipe + ": Not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(QFile::encodeName(pipe).toStdString()));
}

class SubtitleInformation : public GuiTest {};

TEST_F(SubtitleInformation, ReportsFormatLinesAndTheFirstAndLastStart) {
    start();
    VELKAR_OPEN_CORPUS(kSubRip);
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              "Subtitle Format:\tSubrip\n\rTotal Lines:\t44\n\r"
              "First Subtitle:\t00:00:59,188  I always wanted to leave my country[br]and go "
              "somewhere else.\n\rLast Subtitle:\t00:01:38,764  <i>Obviously, it was a big "
              "shock.</i>");
}

TEST_F(SubtitleInformation, GivesMicroDVDStartsAsFrames) {
    start();
    VELKAR_OPEN_CORPUS(kMicroDVD);
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Subtitle Format:\tMicroDVD player\n\r"));
    EXPECT_TRUE(dialogs.messages[0].contains("Last Subtitle:\t2368  {Y:i}Obviously"));
}

TEST_F(SubtitleInformation, SaysSoWithoutALoadedDocument) {
    start();
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "No Subtitle file is open. Open one with Open Subtitle first.");
}

class EditCommand : public GuiTest {};

TEST_F(EditCommand, ReChecksAndReParsesTheEditedLines) {
    start();
    openBytes(kThreeSubtitles);
    modal.then([&](QWidget* w) {
        TfrmEdit* editor = Editor(w);
        EXPECT_EQ(editor->lblError->text(), "");
        QString text = editor->editorText();
        text.replace(QStringLiteral("00:00:10,000"), QStringLiteral("00:00:11,000"));
        editor->memoEdit->setPlainText(text);
        SaveEditor(dialogs, editor, Answer::Yes);
    });
    form().cmdEdit->click();
    EXPECT_EQ(form().document().start(2), 11000);
    EXPECT_EQ(form().txtLast->displayText(), "00:00:11,000");
    EXPECT_EQ(ViewerLines(windows())[9], "00:00:11,000 --> 00:00:12,000");
    EXPECT_EQ(form().document().LastAnchor, 2);
}

TEST_F(EditCommand, AnchorsFollowARemovedSubtitle) {
    start();
    openBytes(kThreeSubtitles);
    form().document().FirstAnchor = 1;
    modal.then([&](QWidget* w) {
        TfrmEdit* editor = Editor(w);
        QString text = editor->editorText();
        text.truncate(text.indexOf(QStringLiteral("\n\n3")) + 1);
        editor->memoEdit->setPlainText(text);
        SaveEditor(dialogs, editor, Answer::Yes);
    });
    form().cmdEdit->click();
    const SubtitleDocument& doc = form().document();
    EXPECT_EQ(doc.SubtitleCount, 2);
    EXPECT_EQ(doc.FirstAnchor, 0);
    EXPECT_EQ(doc.LastAnchor, 1);
    EXPECT_EQ(form().txtLast->displayText(), "00:00:04,000");
    EXPECT_EQ(form().txtLast->toolTip(), "Two");
}

TEST_F(EditCommand, AnUnchangedCountKeepsThePickedAnchorsAndShowsThem) {
    start();
    openBytes(kThreeSubtitles);
    form().document().FirstAnchor = 1;
    modal.then([&](QWidget* w) { Editor(w)->cmdCancel->click(); });
    form().cmdEdit->click();
    EXPECT_EQ(form().document().FirstAnchor, 1);
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:04,000");
}

TEST_F(EditCommand, ALoadedDocumentMadeUnknownIsReportedAsUnknown) {
    start();
    openBytes(kThreeSubtitles);
    modal.then([&](QWidget* w) {
        TfrmEdit* editor = Editor(w);
        editor->memoEdit->setPlainText(QStringLiteral("just text\n\nmore\n"));
        SaveEditor(dialogs, editor, Answer::Yes);
    });
    form().cmdEdit->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "The Subtitle file you selected is not supported by Velkar");
    EXPECT_TRUE(form().document().SubtitleLoaded);
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[1].startsWith("Subtitle Format:\tUnknown\n\rTotal Lines:\t3"));
    EXPECT_EQ(ViewerLines(windows()), (QStringList{"just text", "", "more"}));
}

TEST_F(EditCommand, ALoadedDocumentLeftDamagedIsReportedAsDamaged) {
    start();
    openBytes(kThreeSubtitles);
    modal.then([&](QWidget* w) {
        TfrmEdit* editor = Editor(w);
        QString text = editor->editorText();
        text.replace(QStringLiteral("00:00:04,000"), QStringLiteral("00:00:04"));
        editor->memoEdit->setPlainText(text);
        SaveEditor(dialogs, editor, Answer::Yes);
        dialogs.answers.push_back(Answer::No); // do not fix
    });
    form().cmdEdit->click();
    form().cmdSubInfo->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Subtitle Format:\tDamaged\n\r"));
}

TEST_F(EditCommand, DoesNothingWithoutALoadedDocument) {
    start();
    form().cmdEdit->click();
    EXPECT_FALSE(windows().frmEdit().isVisible());
}

// Opening the editor and saving without a change gives back the same bytes.
class EditorRoundTrip : public GuiTest, public testing::WithParamInterface<const char*> {};

TEST_P(EditorRoundTrip, SavingUnchangedTextKeepsEveryByte) {
    start();
    const QString path = CorpusFile(GetParam());
    if (path.isEmpty())
        GTEST_SKIP() << "corpus file missing";
    open(path);
    if (!form().document().SubtitleLoaded)
        GTEST_SKIP() << "not a loadable document";
    const std::vector<std::string> before = form().document().SubtitleLines.strings();
    modal.then([&](QWidget* w) { SaveEditor(dialogs, Editor(w), Answer::Yes); });
    form().cmdEdit->click();
    EXPECT_TRUE(form().document().SubtitleLines == before);
    dialogs.files.push_back(tempPath("out"));
    form().cmdSave->click();
    const std::string saved =
        ReadBytes(tempPath("out") + (path.endsWith(".srt", Qt::CaseInsensitive) ? ".srt" : ".sub"));
    EXPECT_EQ(saved, ReadBytes(path));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, EditorRoundTrip,
    testing::Values("srt/charsetnormalizer-sample.1.he-cp1255-crlf.srt",
                    "srt/gnomesubtitles-cc-mayer-bettle-cp1252-crlf.srt",
                    "srt/subtitlesparser-wiedzmin-hu-latin2.srt",
                    "srt/subtitlesparser-salvage-ar-cp1256.SRT", "srt/cdown-srt-gb2312.srt",
                    "srt/aegisub-format_srt.srt", "srt/subtitlejs-wonder-woman-crlf-utf8bom.srt",
                    "microdvd/subtitlesparser-20140116-152304-pl-cp1250.sub",
                    "subviewer/subtitlesparser-battlestar-galactica-s03e09.sub"));

TEST_F(EditCommand, EveryByteOfAnEightBitDocumentSurvivesTheEditor) {
    start();
    std::string text;
    for (int b = 0x20; b < 0x100; ++b)
        if (b != 0x7F)
            text += static_cast<char>(b);
    text += "\t\x01\x0B\x0C\x1F\x7F";
    openBytes("1\r\n00:00:01,000 --> 00:00:02,000\r\n" + text + "\r\n");
    ASSERT_TRUE(form().document().SubtitleLoaded);
    ASSERT_FALSE(form().codec().IsUtf8());
    modal.then([&](QWidget* w) { SaveEditor(dialogs, Editor(w), Answer::Yes); });
    form().cmdEdit->click();
    ASSERT_EQ(form().document().SubtitleLines.size(), 3u);
    EXPECT_EQ(form().document().SubtitleLines[2], text);
}

// WebVTT reads NUL bytes as characters: the lists show U+FFFD, the editor keeps every byte.
TEST_F(EditCommand, NulBytesOfAWebVttDocumentShowAsReplacementAndSurviveTheEditor) {
    start();
    const std::string text("te\0xt", 5);
    openBytes("WEBVTT\n\n00:01.000 --> 00:02.000\n" + text + "\n", QStringLiteral("in.vtt"));
    ASSERT_TRUE(form().document().SubtitleLoaded);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().cboDialogs->itemText(0), QStringLiteral("1) te\uFFFDxt"));
    modal.then([&](QWidget* w) { SaveEditor(dialogs, Editor(w), Answer::Yes); });
    form().cmdEdit->click();
    ASSERT_EQ(form().document().SubtitleLines.size(), 4u);
    EXPECT_EQ(form().document().SubtitleLines[3], text);
}

} // namespace
} // namespace velkar::gui::test

namespace velkar::gui::test {

// A SubRip file whose counters are missing: mending writes them.
const std::string kNoCounters = "00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n"
                                "00:00:03,000 --> 00:00:04,000\r\nTwo\r\n";

class MendBox : public GuiTest {};

TEST_F(MendBox, MendLoadsTheMendedLinesAsAnUnsavedChangeAndSaveAsWritesThem) {
    start();
    dialogs.choices.push_back(0); // Mend
    openBytes(kNoCounters);
    ASSERT_EQ(dialogs.choiceTexts.size(), 1u);
    EXPECT_EQ(dialogs.choiceTexts[0], "Velkar can mend this Subtitle file:\n\r"
                                      "2 missing counters written (first at line 1)");
    EXPECT_EQ(dialogs.choiceButtons[0], (QStringList{"Mend", "Edit...", "Cancel"}));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleFormat, sfSubRip);
    EXPECT_EQ(form().document().SubtitleCount, 2);
    EXPECT_TRUE(form().isWindowModified());
    EXPECT_EQ(form().lblResult->text(), "Mended: 2 missing counters");
    // The opened file is not written.
    EXPECT_EQ(ReadBytes(tempPath("subs.srt")), kNoCounters);

    dialogs.files.push_back(tempPath("mended.srt"));
    form().cmdSave->click();
    EXPECT_EQ(ReadBytes(tempPath("mended.srt")), "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n"
                                                 "2\r\n00:00:03,000 --> 00:00:04,000\r\nTwo\r\n");
    EXPECT_FALSE(form().isWindowModified());
}

TEST_F(MendBox, CancelLeavesTheFileNotLoadedWithoutTheQuestion) {
    start();
    dialogs.choices.push_back(2); // Cancel
    openBytes(kNoCounters);
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleLines.size(), 5u); // the file's lines, untouched
    EXPECT_TRUE(form().lblResult->text().isEmpty());
}

TEST_F(MendBox, ClosingTheBoxIsCancel) {
    start();
    dialogs.choices.push_back(std::nullopt);
    openBytes(kNoCounters);
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

} // namespace velkar::gui::test
