// "Make MVD File", "Create Subs", "Load Text", the two-state button cmdStartEnd and the repair
// of a single dialog.

#include "authoring/Creation.h"
#include "document/LineIo.h"
#include "document/Parsing.h"
#include "document/Report.h"
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
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

namespace velkar::gui {

void TForm1::cmdMakeMVDClick() {
    // The movie is the one playing: in the external player, which names it itself (nothing
    // when it does not answer), or in the built-in one.
    const QString movie = m_player->movieName();
    m_mvd->Prepare(movie,
                   QFile::decodeName(QByteArray::fromStdString(m_document.SubtitleFileName)));
    m_mvd->setSaveDialog(&m_saveDialog);
    m_mvd->exec();
}

namespace {

const QString kDialogStart = QStringLiteral("Dialog Start");
const QString kDialogEnd = QStringLiteral("Dialog End");
const QString kRepairStart = QStringLiteral("Repair Dialog Start");
const QString kRepairEnd = QStringLiteral("Repair Dialog End");

} // namespace

void TForm1::cmdCreateClick() {
    if (!ConfirmDiscardChanges())
        return;
    applyLayout(LayoutMode::Creation);

    velkar::StartCreation(m_document);
    // Nothing to save yet: the created subtitles count as changes.
    m_documentPath.clear();
    setModified(false);
    startHistory(true);
    // The texts of the new document come from the plain text.
    m_codec = DetectCodec(m_plainTextLines);
    fillDialogs({});
    for (MaskedTimeEdit* field : {txtFirst, txtLast}) {
        field->setMask(MaskedTimeEdit::Mask::HundredthsClock);
        field->setToolTip(QString());
    }
    m_player->setUnit(playback::PlayerUnit::Milliseconds);
}

void TForm1::cmdLeaveCreationClick() {
    if (m_layout != LayoutMode::Creation)
        return;
    if (!ConfirmDiscardChanges())
        return;
    // A save (Yes) has left the layout with the saved document; otherwise the created
    // document, unsaved or empty, goes with the layout.
    if (m_layout == LayoutMode::Creation) {
        applyLayout(LayoutMode::Normal);
        closeDocument();
    }
}

void TForm1::cmdLoadTextClick() {
    if (!ConfirmDiscardChanges())
        return;
    const std::optional<QString> path =
        chooseFileToOpen(QStringLiteral("Open Subtitle Plain Text File"),
                         QStringLiteral("Text Files (*.txt);;All Files (*)"));
    if (!path)
        return;
    // Read aside first: a file that cannot be read leaves the old text and viewer in place.
    velkar::SubtitleDocument text;
    velkar::ReadSubtitleLines(text, QFile::encodeName(*path).toStdString());
    m_plainTextLines = std::move(text.SubtitleLines);
    m_plainTextPath = *path;
    const TextCodec codec = DetectCodec(m_plainTextLines);
    // While creating, the document's texts come from this text: the dialog list and the label
    // show them in its encoding.
    if (m_layout == LayoutMode::Creation)
        m_codec = codec;
    // Two entries a line: an empty one, then the line.
    const auto lines = std::make_shared<const velkar::LineStore>(m_plainTextLines);
    m_viewer->setRows(RowCount(2 * lines->size()), [lines, codec](int row) {
        return row % 2 == 0 ? QString() : Decode(codec, (*lines)[std::size_t(row / 2)]);
    });
}

void TForm1::cmdStartEndClick() {
    if (!m_player->isOpen())
        return;
    const QString state = cmdStartEnd->text();
    if (state == kDialogStart) {
        cmdStartEnd->setText(kDialogEnd);
        const velkar::DialogStarted started =
            velkar::DialogStart(m_document, m_plainTextLines, m_player->position());
        const std::size_t n = m_document.SubtitleCount;
        txtFirst->setTime(QString::fromStdString(
            velkar::SubtitleTimeText(m_document, n - 1, false, velkar::TimeSource::Player)));
        m_viewer->ShowLine(started.viewerEntry);
    } else if (state == kDialogEnd) {
        cmdStartEnd->setText(kDialogStart);
        const std::int32_t position = m_player->position();
        if (!m_document.SubtitlePending)
            return;
        const std::size_t n = m_document.SubtitleCount;
        const velkar::DialogEnded ended = velkar::DialogEnd(m_document, m_plainTextLines, position);
        recordChange();
        txtLast->setTime(QString::fromStdString(
            velkar::SubtitleTimeText(m_document, n - 1, true, velkar::TimeSource::Player)));
        addDialog(ended.dialogEntry);
        cboDialogs->setCurrentIndex(cboDialogs->count() - 1);
        m_viewer->ShowLine(ended.viewerEntry);
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
        field->setTime(QString::fromStdString(
            velkar::SubtitleTimeText(m_document, i, !start, velkar::TimeSource::Player)));
        if (!start) {
            velkar::RewriteTimingLine(m_document, i);
            recordChange();
        }
        if (m_plainTextLines.size() >= m_document.SubtitleCount)
            m_viewer->ShowLine(std::int32_t(2 * i + (start ? 1 : 2)));
    }
}

void TForm1::resetStartEnd() {
    if (m_layout == LayoutMode::Creation)
        cmdStartEnd->setText(kDialogStart);
    else if (m_layout == LayoutMode::Repair)
        cmdStartEnd->setText(kRepairStart);
}

void TForm1::applyLayout(LayoutMode mode) {
    // "View" goes back where it was in the normal layout; creating moves it up to "Create Subs".
    if (m_layout == LayoutMode::Normal && mode != LayoutMode::Normal)
        m_viewGeometry = cmdView->geometry();
    const QRect create = cmdCreate->geometry();
    m_layout = mode;
    const bool normal = mode == LayoutMode::Normal;
    for (QWidget* w : std::initializer_list<QWidget*>{
             cmdEdit, cmdSelect1, cmdSelect2, cboRegression, Label3, cmdStretch, cmdFirst, cmdLast,
             cmdOpenSubtitle, cmdCreate, cmdSubInfo})
        w->setVisible(normal);
    cmdLoadText->setVisible(!normal);
    // A created dialog started and not ended yet ends at the button's next press.
    if (mode != LayoutMode::Normal || cmdStartEnd->text() != kDialogEnd)
        cmdStartEnd->setText(mode == LayoutMode::Repair ? kRepairStart : kDialogStart);
    cmdStartEnd->setVisible(!normal);
    cmdLeaveCreation->setVisible(mode == LayoutMode::Creation);
    // The result row speaks of the last Fix Synch, which belongs to another document than the
    // one being created.
    if (mode == LayoutMode::Creation)
        showResult(QString());
    if (mode == LayoutMode::Creation)
        cmdView->setGeometry(create.x(), create.y(), create.width(), cmdView->height());
    else if (m_viewGeometry.isValid())
        cmdView->setGeometry(m_viewGeometry);
    cmdView->setVisible(mode != LayoutMode::Repair);
    // The tick box and the dialog list follow the mode, whoever asked for it.
    const QSignalBlocker quiet(chkRepair);
    chkRepair->setChecked(mode == LayoutMode::Repair);
    cboDialogs->setEnabled(mode == LayoutMode::Repair);
}

void TForm1::chkRepairClick() {
    const bool repair = chkRepair->isChecked();
    // Unticking always ends in the synchronisation layout, also when creating, and the time
    // fields, which showed the repaired dialog, show the anchors again.
    applyLayout(repair ? LayoutMode::Repair : LayoutMode::Normal);
    if (!repair)
        ShowAnchors();
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
    m_player->seekTo(m_document.start(i));
}

} // namespace velkar::gui
