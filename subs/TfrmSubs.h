#pragma once
// The list viewer: the document's lines, with the line of the current subtitle selected while
// the movie plays. It rides along under the main window while "Move Along" is ticked.

#include "app/RowList.h"

#include <QWidget>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace velkar::gui {

class TfrmSubs : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmSubs(QWidget* parent = nullptr);

    // Replaces the list with `count` lines, line i showing `text(i)` (made as it is drawn).
    void setRows(int count, RowModel::RowText text);
    // Makes `line` the top item and selects it, when "Auto Scroll" is ticked and it is not the
    // line selected last. A line outside the list is ignored.
    void SelectLine(std::int32_t line);
    // Makes `line` the top item and selects it whatever "Auto Scroll" says; a line outside the
    // list is ignored.
    void ShowLine(std::int32_t line);

    RowListView* lstSubs = nullptr;
    QCheckBox* chkScroll = nullptr;
    QCheckBox* chkMoveAlong = nullptr;
    QPushButton* cmdFont = nullptr;
    std::int32_t LastSelectedLine = 0;
    bool MoveAlong = true;

    void FormCreate();
    void chkMoveAlongClick();
    void cmdFontClick();
};

} // namespace velkar::gui
