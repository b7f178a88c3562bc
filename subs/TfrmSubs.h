#pragma once
// The list viewer: the document's lines, with the line of the current subtitle selected while
// the movie plays. It rides along under the main window while "Move Along" is ticked.

#include <QStringList>
#include <QWidget>
#include <cstdint>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace velkar::gui {

class TfrmSubs : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmSubs(QWidget* parent = nullptr);

    // Replaces the list with `lines` (one item per line of the document).
    void setLines(const QStringList& lines);
    // Makes `line` the top item and selects it, when "Auto Scroll" is ticked and it is not the
    // line selected last. A line outside the list is ignored.
    void SelectLine(std::int32_t line);

    QListWidget* lstSubs = nullptr;
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
