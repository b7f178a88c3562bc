// Undo and redo of the document's changes: every change of its timing or lines is recorded as
// one step after it is made; undo and redo put a recorded state back and show it everywhere.

#include "document/LineIo.h"
#include "document/Parsing.h"
#include "document/UndoHistory.h"
#include "frmMain/TForm1.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace velkar::gui {

bool TForm1::undoKey(const QKeyEvent& key) {
    // A text field has its own undo of what is typed in it.
    if (qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        return false;
    const auto modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Z && modifiers == Qt::ControlModifier) {
        undoChange();
        return true;
    }
    if ((key.key() == Qt::Key_Z && modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (key.key() == Qt::Key_Y && modifiers == Qt::ControlModifier)) {
        redoChange();
        return true;
    }
    return false;
}

void TForm1::startHistory(bool saved) {
    m_history.reset(m_document, saved);
    emit documentReplaced();
}

void TForm1::recordChange() {
    m_history.record(m_document);
    setModified(true);
    emit documentChanged();
}

void TForm1::documentRetimed(const QString& result) {
    recordChange();
    fillViewer();
    if (m_layout == LayoutMode::Normal)
        ShowAnchors();
    m_player->loadSubtitles(velkar::SubtitleFileBytes(m_document));
    showResult(result);
}

void TForm1::undoChange() {
    if (m_history.canUndo())
        restoreState(m_history.undo(), QStringLiteral("Undone"));
}

void TForm1::redoChange() {
    if (m_history.canRedo())
        restoreState(m_history.redo(), QStringLiteral("Redone"));
}

void TForm1::restoreState(const velkar::SubtitleDocument& state, const QString& what) {
    m_document = velkar::RestoredState(state, m_document);
    m_codec = m_layout == LayoutMode::Creation ? DetectCodec(m_plainTextLines)
                                               : DetectCodec(m_document.SubtitleLines);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < m_document.FinishedCount(); ++i)
        entries.push_back(velkar::DialogEntry(i, m_document.SubtitleTexts[i]));
    fillDialogs(std::move(entries));
    // A press of the two-state button in the middle of a dialog is undone with it.
    resetStartEnd();
    if (m_layout != LayoutMode::Creation) {
        fillViewer();
        ShowAnchors();
    }
    if (velkar::HasTimingTable(m_document.SubtitleFormat))
        m_player->loadSubtitles(velkar::SubtitleFileBytes(m_document));
    setModified(!m_history.atSaved());
    showResult(what);
    emit documentChanged();
}

} // namespace velkar::gui
