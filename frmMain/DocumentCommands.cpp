// Open Subtitle, Edit..., Save As... and Subtitle Information.

#include "app/Guard.h"
#include "app/SaveName.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/Report.h"
#include "edit/TfrmEdit.h"
#include "frmMain/BarProgress.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/TForm1.h"
#include "subs/TfrmSubs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace velkar::gui {

namespace {

const QString kSubtitleFilter = QStringLiteral("Subtitles (*.sub *.srt *.txt);;All Files (*)");

} // namespace

void TForm1::recognise() {
    velkar::Recognise(m_document, *m_progress);
}

void TForm1::runEditor() {
    m_editor->setDocument(&m_document, &m_codec);
    m_editor->LoadForEditing(m_document.ErrorLines, m_document.ErrorTexts);
    m_editor->exec();
    // The editor may have replaced the lines; what the windows show follows them.
    m_codec = DetectCodec(m_document.SubtitleLines);
}

void TForm1::repairLoop() {
    while (m_document.SubtitleFormat == velkar::sfDamaged) {
        const QString question = screenText(velkar::DamagedFileQuestion(m_document));
        if (Dialogs().question(this, kAppTitle, question, false) != Answer::Yes)
            break;
        runEditor();
        recognise();
    }
}

void TForm1::applyFormatSetup() {
    const auto mask = MaskedTimeEdit::MaskFor(m_document.SubtitleFormat);
    txtFirst->setMask(mask);
    txtLast->setMask(mask);
    m_player->setTimeUnit(m_document.SubtitleFormat == velkar::sfMicroDVD ? TimeUnit::Frames
                                                                          : TimeUnit::Milliseconds);
    if (m_document.SubtitleFormat == velkar::sfUnknown)
        Dialogs().information(
            this, kAppTitle,
            QStringLiteral("The Subtitle file you selected is not supported by Velkar"));
}

void TForm1::fillViewer() {
    QStringList lines;
    lines.reserve(qsizetype(m_document.SubtitleLines.size()));
    for (std::string_view line : m_document.SubtitleLines)
        lines << screenText(line);
    m_viewer->setLines(lines);
}

void TForm1::fillDialogs(const std::vector<std::string>& entries) {
    cboDialogs->clear();
    QStringList items;
    items.reserve(qsizetype(entries.size()));
    for (const std::string& entry : entries)
        items << screenText(entry);
    cboDialogs->addItems(items);
}

void TForm1::cmdOpenSubtitleClick() {
    OpenDialog.title = QStringLiteral("Open Subtitle File");
    OpenDialog.fileName.clear();
    OpenDialog.filter = kSubtitleFilter;
    const std::optional<QString> path = Dialogs().openFile(this, OpenDialog);
    if (!path)
        return;
    // From here on the old document is gone, even when the new file turns out unusable.
    m_codec = TextCodec();
    velkar::ReadDocument(m_document, QFile::encodeName(*path).toStdString());
    m_codec = DetectCodec(m_document.SubtitleLines);
    if (m_document.SubtitleLines.empty())
        return;
    recognise();
    repairLoop();
    applyFormatSetup();
    if (velkar::HasTimingTable(m_document.SubtitleFormat)) {
        fillViewer();
        if (UseBSP)
            HandLinesToPlayer();
        std::vector<std::string> entries;
        velkar::FinishOpen(m_document, *m_progress, &entries);
        fillDialogs(entries);
        ShowAnchors();
    }
    pgrBar->setValue(0);
}

void TForm1::cmdEditClick() {
    if (!m_document.SubtitleLoaded)
        return;
    m_document.ErrorLines = {0, 0, 0};
    runEditor();
    recognise();
    repairLoop();
    applyFormatSetup();
    if (velkar::HasTimingTable(m_document.SubtitleFormat)) {
        const auto countBefore = m_document.SubtitleCount;
        std::vector<std::string> entries;
        velkar::ParseSubtitles(m_document, *m_progress, &entries);
        fillDialogs(entries);
        // Anchors that pointed into the old list of subtitles mean nothing in the new one.
        if (m_document.SubtitleCount != countBefore)
            velkar::ResetAnchors(m_document);
        // The fields show the anchors Fix Synch will use.
        ShowAnchors();
    }
    fillViewer();
    pgrBar->setValue(0);
}

void TForm1::cmdSaveClick() {
    if (!m_document.SubtitleLoaded)
        return;
    SaveDialog.title = QStringLiteral("Save the fixed Subtitle to a new file");
    SaveDialog.fileName.clear();
    SaveDialog.filter = kSubtitleFilter;
    // The default suffix is left as the last command set it ("Make MVD File" sets "mvd").
    const std::optional<QString> chosen = Dialogs().saveFile(this, SaveDialog);
    if (!chosen)
        return;
    // The whole path: a path cut short could name another file.
    const std::string target =
        velkar::SaveTargetName(QFile::encodeName(*chosen).toStdString(), m_document.SubtitleFormat);
    velkar::WriteSubtitleLines(m_document, target);
    m_document.SubtitleFileName = target;
    pgrBar->setValue(0);
    if (cmdCreate->isHidden()) {
        // Back from the creation or repair layout to the normal one.
        for (QWidget* w : std::initializer_list<QWidget*>{
                 cmdEdit, cmdSelect1, cmdSelect2, cboRegression, Label3, cmdStretch, cmdFirst,
                 cmdLast, cmdOpenSubtitle, cmdCreate, cmdSubInfo})
            w->show();
        cmdLoadText->hide();
        cmdStartEnd->hide();
        cmdView->setGeometry(56, 102, 55, cmdView->height());
        // The repair layout hides "View" as well.
        cmdView->show();
        cboDialogs->hide();
        chkRepair->hide();
        // The time fields showed the repaired or created dialog; they show the anchors again.
        ShowAnchors();
    }
}

void TForm1::cmdSubInfoClick() {
    if (!m_document.SubtitleLoaded)
        return;
    Dialogs().information(this, kAppTitle, screenText(velkar::SubtitleInformation(m_document)));
}

} // namespace velkar::gui
