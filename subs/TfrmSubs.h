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
    // The line selected last by SelectLine or ShowLine (0 at first).
    std::int32_t lastSelectedLine() const { return m_lastSelectedLine; }
    // Whether the viewer rides along under the main window ("Move Along").
    bool moveAlong() const { return m_moveAlong; }

    void FormCreate();
    void chkMoveAlongClick();
    void cmdFontClick();

  private:
    std::int32_t m_lastSelectedLine = 0;
    bool m_moveAlong = true;
};

} // namespace velkar::gui
