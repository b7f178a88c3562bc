// "Make MVD File", "Create Subs", "Load Text", the two-state button cmdStartEnd and the repair
// of a single dialog.

#include "authoring/Creation.h"
#include "document/LineIo.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "mvd/TfrmMvd.h"
#include "subs/TfrmSubs.h"
#include "sync/RebuildLines.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace velkar::gui {

void TForm1::cmdMakeMVDClick() {
    // The movie is the one playing: in the external player, which names it itself (nothing
    // when it does not answer), or in the built-in one.
    const QString movie = m_player->movieName();
    m_mvd->Prepare(movie,
                   QFile::decodeName(QByteArray::fromStdString(m_document.SubtitleFileName)));
    m_mvd->setSaveDialog(&SaveDialog);
    m_mvd->exec();
}

namespace {

const QString kDialogStart = QStringLiteral("Dialog Start");
const QString kDialogEnd = QStringLiteral("Dialog End");
const QString kRepairStart = QStringLiteral("Repair Dialog Start");
const QString kRepairEnd = QStringLiteral("Repair Dialog End");

// Makes `entry` the viewer's top item and selects it, whatever "Auto Scroll" says; an entry
// outside the list (-1: none) is ignored.
void ShowViewerEntry(TfrmSubs& viewer, std::int32_t entry) {
    if (entry < 0 || entry >= viewer.lstSubs->count())
        return;
    QListWidgetItem* item = viewer.lstSubs->item(entry);
    viewer.lstSubs->scrollToItem(item, QAbstractItemView::PositionAtTop);
    viewer.lstSubs->setCurrentItem(item);
    viewer.LastSelectedLine = entry;
}

} // namespace

void TForm1::cmdCreateClick() {
    if (!ConfirmDiscardChanges())
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdEdit, cmdSelect1, cmdSelect2, cboRegression, Label3, cmdStretch, cmdFirst, cmdLast,
             cmdOpenSubtitle, cmdCreate, cmdSubInfo})
        w->hide();
    cmdLoadText->show();
    cmdStartEnd->setText(kDialogStart);
    cmdStartEnd->show();
    cmdView->setGeometry(cmdCreate->x(), cmdCreate->y(), cmdCreate->width(), cmdView->height());

    velkar::StartCreation(m_document);
    // Nothing to save yet: the created subtitles count as changes.
    m_documentPath.clear();
    setModified(false);
    // The texts of the new document come from the plain text.
    m_codec = DetectCodec(PlainTextLines);
    cboDialogs->clear();
    for (MaskedTimeEdit* field : {txtFirst, txtLast}) {
        field->setMask(MaskedTimeEdit::Mask::HundredthsClock);
        field->setToolTip(QString());
    }
    m_player->setUnit(playback::PlayerUnit::Milliseconds);
}

void TForm1::cmdLoadTextClick() {
    if (!ConfirmDiscardChanges())
        return;
    OpenDialog.title = QStringLiteral("Open Subtitle Plain Text File");
    OpenDialog.fileName.clear();
    OpenDialog.filter = QStringLiteral("Text Files (*.txt);;All Files (*)");
    const std::optional<QString> path = Dialogs().openFile(this, OpenDialog);
    if (!path)
        return;
    // Read aside first: a file that cannot be read leaves the old text and viewer in place.
    velkar::SubtitleDocument text;
    velkar::ReadSubtitleLines(text, QFile::encodeName(*path).toStdString());
    PlainTextLines = std::move(text.SubtitleLines);
    m_plainTextPath = *path;
    const TextCodec codec = DetectCodec(PlainTextLines);
    // While creating, the document's texts come from this text: the dialog list and the label
    // show them in its encoding.
    if (!cmdStartEnd->isHidden() && !chkRepair->isChecked())
        m_codec = codec;
    QStringList entries;
    entries.reserve(qsizetype(2 * PlainTextLines.size()));
    for (std::string_view line : PlainTextLines)
        entries << QString() << Decode(codec, line);
    m_viewer->setLines(entries);
}

void TForm1::cmdStartEndClick() {
    if (!m_player->isOpen())
        return;
    const QString state = cmdStartEnd->text();
    const velkar::SubtitleFormat format = m_document.SubtitleFormat;
    if (state == kDialogStart) {
        cmdStartEnd->setText(kDialogEnd);
        const velkar::DialogStarted started =
            velkar::DialogStart(m_document, PlainTextLines, m_player->position());
        const std::size_t n = m_document.SubtitleCount;
        txtFirst->setText(
            QString::fromStdString(velkar::TimeToText(format, m_document.start(n - 1))));
        ShowViewerEntry(*m_viewer, started.viewerEntry);
    } else if (state == kDialogEnd) {
        cmdStartEnd->setText(kDialogStart);
        const std::int32_t position = m_player->position();
        if (!m_document.SubtitlePending)
            return;
        const std::size_t n = m_document.SubtitleCount;
        const velkar::DialogEnded ended = velkar::DialogEnd(m_document, PlainTextLines, position);
        setModified(true);
        txtLast->setText(QString::fromStdString(velkar::TimeToText(format, m_document.end(n - 1))));
        cboDialogs->addItem(screenText(ended.dialogEntry));
        cboDialogs->setCurrentIndex(cboDialogs->count() - 1);
        ShowViewerEntry(*m_viewer, ended.viewerEntry);
    } else if (state == kRepairStart || state == kRepairEnd) {
        velkar::RequireParsedTable(m_document);
        const bool start = state == kRepairStart;
        cmdStartEnd->setText(start ? kRepairEnd : kRepairStart);
        // The dialog picked at this press; a subtitle still being created has no lines to
        // rewrite and is not in the list.
        const int k = cboDialogs->currentIndex();
        if (k < 0 || std::size_t(k) >= m_document.FinishedCount())
            return;
        const auto i = std::size_t(k);
        m_document.TimingTable[start ? 0 : 1][i] = m_player->position();
        MaskedTimeEdit* field = start ? txtFirst : txtLast;
        field->setText(QString::fromStdString(
            velkar::TimeToText(format, start ? m_document.start(i) : m_document.end(i))));
        if (!start) {
            velkar::RewriteTimingLine(m_document, i);
            setModified(true);
        }
        if (PlainTextLines.size() >= m_document.SubtitleCount)
            ShowViewerEntry(*m_viewer, std::int32_t(2 * i + (start ? 1 : 2)));
    }
}

void TForm1::chkRepairClick() {
    const bool repair = chkRepair->isChecked();
    cboDialogs->setEnabled(repair);
    cmdStartEnd->setText(repair ? kRepairStart : kDialogStart);
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdEdit, cmdSelect1, cmdSelect2, cboRegression, Label3, cmdStretch, cmdFirst, cmdLast,
             cmdOpenSubtitle, cmdCreate, cmdSubInfo, cmdView})
        w->setVisible(!repair);
    cmdLoadText->setVisible(repair);
    cmdStartEnd->setVisible(repair);
    // Unticking always ends in the synchronisation layout, also when creating moved "View",
    // and the time fields, which showed the repaired dialog, show the anchors again.
    if (!repair) {
        cmdView->setGeometry(56, 102, 55, cmdView->height());
        ShowAnchors();
    }
}

void TForm1::cboDialogsClick() {
    velkar::RequireParsedTable(m_document);
    const int k = cboDialogs->currentIndex();
    if (k < 0 || std::size_t(k) >= m_document.FinishedCount())
        return;
    const auto i = std::size_t(k);
    const velkar::SubtitleFormat format = m_document.SubtitleFormat;
    txtFirst->setText(QString::fromStdString(velkar::TimeToText(format, m_document.start(i))));
    txtLast->setText(QString::fromStdString(velkar::TimeToText(format, m_document.end(i))));
    if (!m_player->isOpen())
        return;
    // The start goes to the player as it is: the external player takes it as milliseconds,
    // as it counts.
    m_player->seek(m_document.start(i));
}

} // namespace velkar::gui
