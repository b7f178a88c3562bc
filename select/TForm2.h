#pragma once
// The dialog picker: one entry per subtitle ("<number> --- <text>"), made as the list shows
// it. It returns the subtitle picked; the caller decides which anchor it becomes. Enter
// selects, Escape cancels, a double click on an entry selects it.

#include "app/RowList.h"

#include <QDialog>
#include <cstdint>
#include <optional>

class QLabel;
class QPushButton;

namespace velkar::gui {

class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);

    // Shows the picker modally with `count` entries, entry i showing `text(i)`, entry
    // `selected` selected at first, `current` in red under the list and the two captions.
    // Returns the index of the entry picked with Select (Enter, a double click), nothing after
    // Cancel or Escape or when the list is empty.
    std::optional<std::int32_t> Pick(int count, RowModel::RowText text, const QString& current,
                                     int selected, const QString& caption,
                                     const QString& selectCaption);

    RowListView* lstDialogs = nullptr;
    QLabel* lblCurrent = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdSelectClick();
    void lstDialogsDblClick();
    void cmdCancelClick();

  private:
    std::optional<std::int32_t> m_picked;
};

} // namespace velkar::gui
