#pragma once
// The dialog picker: one entry per subtitle; the selected entry becomes the first or the last
// anchor, as the caption of cmdSelect ("Select 1st" / "Select Last") says. Enter selects,
// Escape cancels, a double click on an entry selects it.

#include "document/SubtitleDocument.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace velkar::gui {

class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);

    // The document whose anchors the picker sets (not owned).
    void setDocument(velkar::SubtitleDocument* document) { m_document = document; }
    // Fills the list and the captions for one pick; `selected` is the entry selected at first.
    void prepare(const QStringList& entries, const QString& current, int selected,
                 const QString& caption, const QString& selectCaption);

    QListWidget* lstDialogs = nullptr;
    QLabel* lblCurrent = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdSelectClick();
    void lstDialogsDblClick();
    void cmdCancelClick();

  private:
    velkar::SubtitleDocument* m_document = nullptr;
};

} // namespace velkar::gui
