#pragma once
// The editor: the document's raw lines as plain text, with the error that recognition found,
// find/replace, and "Save Changes", which replaces the document's lines in memory (the file on
// disk is never written here). One window for the whole run: ErrorSelStart, ErrorSelLength and
// SearchPos keep their values from one showing to the next.
//
// Offsets are character offsets in the editor text, whose line breaks count one character.

#include "app/DocumentText.h"
#include "document/SubtitleDocument.h"
#include "edit/EditorText.h"

#include <QDialog>
#include <array>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace velkar::gui {

class ReplaceDialog;

class TfrmEdit : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmEdit(QWidget* parent = nullptr);

    // The document whose lines are edited, and how they are shown (neither owned).
    void setDocument(velkar::SubtitleDocument* document, const TextCodec* codec);

    // Fills the editor from the document's lines. With an error line index above 0, names the
    // format whose check got furthest (velkar::MostLikelyFormat),
    // shows its error text and puts the caret on that line, which becomes the error selection.
    // Error lines in the order of velkar::ErrorRecord; the three-entry form holds the first three.
    void LoadForEditing(const std::array<std::int32_t, 3>& ErrorLines,
                        const std::array<std::string, 3>& ErrorTexts);
    void LoadForEditing(const velkar::ErrorLineArray& ErrorLines,
                        const std::array<std::string, velkar::kErrorRecords>& ErrorTexts);

    // The editor text, line breaks as "\n" (U+2029, U+FDD0 and U+FDD1 of the document show as
    // private-use characters, see EditorText.h).
    QString editorText() const;

    QWidget* Panel1 = nullptr;
    QLabel* lblError = nullptr;
    QLabel* lblInfo = nullptr;
    QPushButton* cmdGo = nullptr;
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPlainTextEdit* memoEdit = nullptr;
    ReplaceDialog* ReplaceDlg = nullptr;

    // Where the error shown last starts and how long it is, and where the next search starts
    // (characters of the editor's text).
    std::int32_t errorSelStart() const { return ErrorSelStart; }
    std::int32_t errorSelLength() const { return ErrorSelLength; }
    std::int32_t searchPos() const { return SearchPos; }

    void cmdGoClick();
    void cmdFindClick();
    void cmdSaveClick();
    void cmdCancelClick();
    void ReplaceDlgFind();
    void ReplaceDlgReplace(bool replaceAll);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::int32_t ErrorSelStart = 0;
    std::int32_t ErrorSelLength = 0;
    std::int32_t SearchPos = 0;

    void memoEditKeyDown();
    // Handles the window's keys before the focused control; true when the key was Escape.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Searches the find text from SearchPos and selects it; -1 when there is none.
    int findFromSearchPos();
    void noMoreOccurrences();

    velkar::SubtitleDocument* m_document = nullptr;
    const TextCodec* m_codec = nullptr;
    TextCodec m_utf8;
    EditorText m_shown; // the text as last loaded
};

} // namespace velkar::gui
