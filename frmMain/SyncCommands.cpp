// The two anchors, the dialog picker, "Set Time..." and Fix Synch.

#include "app/Guard.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/Report.h"
#include "document/TimeCode.h"
#include "frmMain/BarProgress.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/TForm1.h"
#include "select/TForm2.h"
#include "subs/TfrmSubs.h"
#include "sync/FixSynch.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace velkar::gui {

void TForm1::keepAnchorsInRange() {
    const std::int32_t count = m_document.SubtitleCount;
    const auto inRange = [count](std::int32_t anchor) { return anchor >= 0 && anchor < count; };
    if (!inRange(m_document.FirstAnchor) || !inRange(m_document.LastAnchor))
        velkar::ResetAnchors(m_document);
}

void TForm1::showAnchor(MaskedTimeEdit* field, std::int32_t anchor) {
    if (m_document.SubtitleCount == 0) {
        // A document without subtitles has no anchor to show.
        field->setToolTip(QString());
        field->setText(MaskedTimeEdit::ResetText(field->mask()));
        return;
    }
    const auto i = static_cast<std::size_t>(anchor);
    field->setToolTip(
        screenText(velkar::ListText(m_document.SubtitleFormat, m_document.SubtitleTexts[i])));
    field->setTime(QString::fromStdString(velkar::StartText(m_document, i)));
}

void TForm1::showResult(const QString& text) {
    lblResult->setText(text);
    lblResult->setToolTip(text);
}

void TForm1::ShowAnchors() {
    keepAnchorsInRange();
    // The fields show a document afresh (opened or checked again): the last press's result
    // belongs to what was there before.
    showResult(QString());
    showAnchor(txtFirst, m_document.FirstAnchor);
    showAnchor(txtLast, m_document.LastAnchor);
}

void TForm1::SelectDialog(QObject* sender) {
    requireDocument();
    velkar::RequireParsedTable(m_document);
    keepAnchorsInRange();
    const bool last = sender == cmdSelect2;
    const std::int32_t anchor = last ? m_document.LastAnchor : m_document.FirstAnchor;
    const QString current =
        m_document.SubtitleCount == 0
            ? QString()
            : screenText(velkar::ListText(m_document.SubtitleFormat,
                                          m_document.SubtitleTexts[std::size_t(anchor)]));
    // The entries are made as the list shows them; the document stays as it is while the
    // picker is open.
    const auto entry = [this, codec = m_codec](int k) {
        return QString::number(k + 1) + QStringLiteral(" --- ") +
               Decode(codec, velkar::ListText(m_document.SubtitleFormat,
                                              m_document.SubtitleTexts[std::size_t(k)]));
    };
    const int count = static_cast<int>(m_document.SubtitleCount);
    const std::optional<std::int32_t> picked =
        last ? m_picker->Pick(count, entry, QStringLiteral("Current last Dialog: ") + current,
                              anchor, QStringLiteral("Select the Last dialog"),
                              QStringLiteral("Select Last"))
             : m_picker->Pick(count, entry, QStringLiteral("Current 1st Dialog: ") + current,
                              anchor, QStringLiteral("Select the first dialog"),
                              QStringLiteral("Select 1st"));
    // Only a pick changes anything, and only the picked anchor and its field: a true time
    // already typed or taken from the player for the other one stays.
    if (!picked)
        return;
    if (last) {
        m_document.LastAnchor = *picked;
        showAnchor(txtLast, m_document.LastAnchor);
    } else {
        m_document.FirstAnchor = *picked;
        showAnchor(txtFirst, m_document.FirstAnchor);
    }
}

void TForm1::setTimeFromPlayer(MaskedTimeEdit* field) {
    // Only a position in the document's own unit can be typed into its field: the external
    // player counts milliseconds, which a MicroDVD document cannot take.
    if (!m_player->isOpen())
        return;
    const velkar::FormatEntry* entry = velkar::FindFormat(m_document.SubtitleFormat);
    if (!entry)
        return;
    const bool frames = m_player->unit() == playback::PlayerUnit::Frames;
    if (entry->frames != frames)
        return;
    if (frames) {
        field->setText(QString::number(m_player->position()));
        return;
    }
    // The clock in the document's own form, as the field's mask takes it.
    const std::int32_t position = m_player->position();
    if (!entry->canWrite(position))
        throw velkar::TimeEncodeError(velkar::PlayerPositionText(position));
    field->setTime(QString::fromStdString(velkar::TimeToText(entry->code, position)));
}

void TForm1::cmdFirstClick() {
    setTimeFromPlayer(txtFirst);
}

void TForm1::cmdLastClick() {
    setTimeFromPlayer(txtLast);
}

void TForm1::cmdStretchClick() {
    requireDocument();
    if (!velkar::HasTimingTable(m_document.SubtitleFormat))
        return;
    keepAnchorsInRange();
    // A failed press leaves no word of an earlier one behind.
    showResult(QString());
    const std::string first = txtFirst->fieldText().toStdString();
    const std::string last = txtLast->fieldText().toStdString();
    const velkar::SynchOutcome outcome =
        velkar::FixSynch(m_document, first, last, cboRegression->currentIndex(), *m_progress);
    pgrBar->setValue(0);
    if (!outcome.rebuilt())
        return;
    const QString result =
        QString::fromStdString(velkar::SynchResultText(outcome, m_document.SubtitleFormat));
    showResult(result);
    // Times already in place leave every byte as it was: nothing to save.
    if (outcome.kind == velkar::SynchKind::InPlace)
        return;
    recordChange();
    fillViewer();
    m_player->loadSubtitles(velkar::SubtitleFileBytes(m_document));
}

} // namespace velkar::gui
