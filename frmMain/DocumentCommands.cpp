// Open Subtitle, Edit..., Save As..., Subtitle Information and the question about unsaved
// changes.

#include "app/Guard.h"
#include "app/SaveName.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineIo.h"
#include "document/Mending.h"
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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

namespace velkar::gui {

namespace {

const QString kSubtitleFilter =
    QStringLiteral("Subtitles (*.sub *.srt *.txt *.mpl2 *.vtt *.ass *.ssa);;All Files (*)");

} // namespace

void TForm1::recognise() {
    velkar::Recognise(m_document, *m_progress);
}

void TForm1::runEditor() {
    const velkar::LineStore before = m_document.SubtitleLines;
    m_editor->setDocument(&m_document, &m_codec);
    m_editor->LoadForEditing(m_document.ErrorLines, m_document.ErrorTexts);
    m_editor->exec();
    if (!(m_document.SubtitleLines == before))
        setModified(true);
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
    m_player->setUnit(m_document.SubtitleFormat == velkar::sfMicroDVD
                          ? playback::PlayerUnit::Frames
                          : playback::PlayerUnit::Milliseconds);
    if (m_document.SubtitleFormat == velkar::sfUnknown)
        Dialogs().information(
            this, kAppTitle,
            QStringLiteral("The Subtitle file you selected is not supported by Velkar"));
}

void TForm1::fillViewer() {
    // The viewer shows the lines as they are now, each without its markup (a text line as the
    // lists show it); later changes reach it with the next fill.
    const auto lines = std::make_shared<const velkar::LineStore>(m_document.SubtitleLines);
    m_viewer->setRows(RowCount(lines->size()), [lines, codec = m_codec,
                                                format = m_document.SubtitleFormat](int row) {
        return Decode(codec, velkar::ListText(format, (*lines)[std::size_t(row)]));
    });
}

void TForm1::fillDialogs(std::vector<std::string> entries) {
    m_dialogEntries = std::move(entries);
    m_dialogRows->setRows(RowCount(m_dialogEntries.size()), dialogEntryText());
}

void TForm1::addDialog(const std::string& entry) {
    m_dialogEntries.push_back(entry);
    m_dialogRows->appendRows(1, dialogEntryText());
}

RowModel::RowText TForm1::dialogEntryText() const {
    return [this](int k) { return screenText(m_dialogEntries[std::size_t(k)]); };
}

void TForm1::cmdOpenSubtitleClick() {
    if (!ConfirmDiscardChanges())
        return;
    const std::optional<QString> path =
        chooseFileToOpen(QStringLiteral("Open Subtitle File"), kSubtitleFilter);
    if (!path)
        return;
    OpenSubtitle(*path);
}

void TForm1::OpenSubtitle(const QString& path) {
    // From here on the old document is gone, even when the new file turns out unusable.
    m_codec = TextCodec();
    m_documentPath.clear();
    setModified(false);
    velkar::ReadDocument(m_document, QFile::encodeName(path).toStdString());
    m_documentPath = path;
    m_codec = DetectCodec(m_document.SubtitleLines);
    if (m_document.SubtitleLines.empty())
        return;
    recognise();
    lblResult->clear();
    QString mended; // what mending changed, in short
    const MendChoice mend = offerMending(mended);
    if (mend == MendChoice::NotOffered || mend == MendChoice::Edit)
        repairLoop();
    applyFormatSetup();
    if (m_document.SubtitleFormat == velkar::sfDamaged) {
        // The damaged file was not mended: nothing of it, nor of the document before, stays.
        closeDocument();
        return;
    }
    if (velkar::HasTimingTable(m_document.SubtitleFormat)) {
        fillViewer();
        m_player->loadSubtitles(velkar::SubtitleFileBytes(m_document));
        std::vector<std::string> entries;
        velkar::FinishOpen(m_document, *m_progress, &entries);
        fillDialogs(std::move(entries));
        ShowAnchors();
        // The mended lines are not on disk: Save As writes them, the opened file stays.
        setModified(mend == MendChoice::Mended);
        // Mended lines are not what the file holds: there is no saved state to go back to.
        startHistory(mend != MendChoice::Mended);
        lblResult->setText(mended);
    }
    pgrBar->setValue(0);
}

TForm1::MendChoice TForm1::offerMending(QString& summary) {
    if (velkar::HasTimingTable(m_document.SubtitleFormat))
        return MendChoice::NotOffered;
    const velkar::Mending mending = velkar::MendLines(m_document.SubtitleLines);
    if (!mending.mended())
        return MendChoice::NotOffered;
    const QString text =
        screenText("Velkar can mend this Subtitle file:\n\r" + velkar::MendList(mending));
    const std::optional<int> choice = Dialogs().choose(
        this, kAppTitle, text,
        {QStringLiteral("Mend"), QStringLiteral("Edit..."), QStringLiteral("Cancel")});
    if (choice == 0) {
        velkar::ApplyMending(m_document, mending, *m_progress);
        summary = QString::fromStdString(velkar::MendSummary(mending));
        return MendChoice::Mended;
    }
    if (choice == 1) {
        runEditor();
        recognise();
        return MendChoice::Edit;
    }
    return MendChoice::Cancel;
}

void TForm1::closeDocument() {
    // The codec stays: it names what the last file was written in, and the next one replaces it.
    m_document = velkar::SubtitleDocument();
    m_documentPath.clear();
    // The fields keep their form and show its zero.
    for (MaskedTimeEdit* field : {txtFirst, txtLast}) {
        field->setToolTip(QString());
        field->setText(MaskedTimeEdit::ResetText(field->mask()));
    }
    fillViewer();
    fillDialogs({});
    showResult(QString());
    pgrBar->setValue(0);
    setModified(false);
    startHistory(true);
}

void TForm1::requireDocument() const {
    if (!m_document.SubtitleLoaded)
        throw velkar::NoDocumentError();
}

void TForm1::cmdEditClick() {
    requireDocument();
    m_document.ErrorLines = {0, 0, 0};
    const velkar::LineStore before = m_document.SubtitleLines;
    runEditor();
    recognise();
    repairLoop();
    applyFormatSetup();
    if (velkar::HasTimingTable(m_document.SubtitleFormat)) {
        const auto countBefore = m_document.SubtitleCount;
        std::vector<std::string> entries;
        velkar::ParseSubtitles(m_document, *m_progress, &entries);
        fillDialogs(std::move(entries));
        // Anchors that pointed into the old list of subtitles mean nothing in the new one.
        if (m_document.SubtitleCount != countBefore)
            velkar::ResetAnchors(m_document);
        // The fields show the anchors Fix Synch will use.
        ShowAnchors();
    }
    fillViewer();
    pgrBar->setValue(0);
    // One step, once the lines are read again.
    if (!(m_document.SubtitleLines == before))
        recordChange();
}

void TForm1::cmdSaveClick() {
    requireDocument();
    SaveDocumentAs();
}

std::optional<QString> TForm1::chooseFileToOpen(const QString& title, const QString& filter,
                                                const QString& fileName) {
    m_openDialog.title = title;
    m_openDialog.filter = filter;
    m_openDialog.fileName = fileName;
    return Dialogs().openFile(this, m_openDialog);
}

bool TForm1::SaveDocumentAs() {
    if (!m_document.SubtitleLoaded)
        return false;
    m_saveDialog.title = QStringLiteral("Save the fixed Subtitle to a new file");
    m_saveDialog.filter = kSubtitleFilter;
    // "Make MVD File" shares the dialog; its ".mvd" must not reach a subtitle file. The
    // format's extension is added below instead.
    m_saveDialog.defaultSuffix.clear();
    // The document's own folder and name; a created document goes beside its plain text.
    QFileInfo proposal(m_documentPath);
    if (m_documentPath.isEmpty() && !m_plainTextPath.isEmpty())
        proposal.setFile(QFileInfo(m_plainTextPath).dir(),
                         QFileInfo(m_plainTextPath).completeBaseName() + QStringLiteral(".sub"));
    m_saveDialog.folder = proposal.filePath().isEmpty() ? QString() : proposal.absolutePath();
    m_saveDialog.fileName = proposal.fileName();
    std::string target;
    for (;;) {
        const std::optional<QString> chosen = Dialogs().saveFile(this, m_saveDialog);
        if (!chosen)
            return false;
        // The whole path: a path cut short could name another file.
        target = velkar::SaveTargetName(QFile::encodeName(*chosen).toStdString(),
                                        m_document.SubtitleFormat);
        std::error_code error;
        if (!std::filesystem::exists(target, error))
            break;
        // The name with the format's extension may be a file the dialog did not see.
        const QString name = QFileInfo(QFile::decodeName(target.c_str())).fileName();
        if (Dialogs().question(this, kAppTitle,
                               name +
                                   QStringLiteral(" already exists.\n\rDo you want to replace it?"),
                               false) == Answer::Yes)
            break;
        // No: the dialog comes back on the name chosen.
        m_saveDialog.folder = QFileInfo(*chosen).absolutePath();
        m_saveDialog.fileName = QFileInfo(*chosen).fileName();
    }
    velkar::WriteSubtitleLines(m_document, target);
    m_document.SubtitleFileName = target;
    m_documentPath = QFile::decodeName(target.c_str());
    setModified(false);
    m_history.markSaved();
    pgrBar->setValue(0);
    leaveAuthoringLayout();
    return true;
}

void TForm1::leaveAuthoringLayout() {
    if (m_layout == LayoutMode::Normal)
        return;
    // The saved document can be repaired further: the tick box and its list stay.
    applyLayout(LayoutMode::Normal);
    // The time fields showed the repaired or created dialog; they show the anchors again.
    ShowAnchors();
}

bool TForm1::ConfirmDiscardChanges() {
    if (!m_modified || !m_document.SubtitleLoaded)
        return true;
    const QString question = QStringLiteral("Save changes to ") + documentName() + QLatin1Char('?');
    switch (Dialogs().question(this, kAppTitle, question, true)) {
    case Answer::Yes:
        return SaveDocumentAs();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void TForm1::setModified(bool modified) {
    m_modified = modified;
    updateCaption();
}

QString TForm1::documentName() const {
    return m_documentPath.isEmpty() ? QStringLiteral("Untitled")
                                    : QFileInfo(m_documentPath).fileName();
}

void TForm1::setMovieName(const QString& name) {
    m_movieName = name;
    updateCaption();
}

void TForm1::updateCaption() {
    QString caption = kAppTitle;
    if (!m_movieName.isEmpty())
        caption += QStringLiteral(" - ") + m_movieName;
    const bool loaded = m_document.SubtitleLoaded;
    if (loaded) {
        // "[*]" is where the platform puts its mark; one in the name itself is doubled.
        QString name = documentName();
        name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        caption = name + QStringLiteral("[*] - ") + caption;
    }
    setWindowTitle(caption);
    setWindowModified(loaded && m_modified);
}

void TForm1::cmdSubInfoClick() {
    requireDocument();
    Dialogs().information(this, kAppTitle, screenText(velkar::SubtitleInformation(m_document)));
}

} // namespace velkar::gui
