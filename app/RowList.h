#pragma once
// Lists that make their rows when they are shown. A document of 65,535 subtitles has 262,140
// lines; a list that copied each of them into an item of its own would spend a second filling
// itself. RowModel keeps a row count and a function that makes row i's text; the views ask
// only for the rows they draw, all of one height.

#include <QAbstractListModel>
#include <QListView>
#include <climits>
#include <cstddef>
#include <functional>

namespace velkar::gui {

// A count of rows as the lists take it (no list holds more than INT_MAX rows).
inline int RowCount(std::size_t count) {
    return count > std::size_t(INT_MAX) ? INT_MAX : int(count);
}

class RowModel : public QAbstractListModel {
    Q_OBJECT
  public:
    // Row i's text, for 0 <= i < the count given with it.
    using RowText = std::function<QString(int row)>;

    explicit RowModel(QObject* parent = nullptr);

    // Replaces every row: `count` rows (none when below 1) made by `text`.
    void setRows(int count, RowText text);
    // Adds `added` rows at the end; `text` makes every row from now on, old and new.
    void appendRows(int added, RowText text);
    void clear() { setRows(0, {}); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The text for Qt::DisplayRole (and Qt::EditRole, which a combo box reads); nothing for a
    // row outside the list.
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    int m_count = 0;
    RowText m_text;
};

// A single-selection list view over its own RowModel, with the calls by row number that the
// windows use.
class RowListView : public QListView {
    Q_OBJECT
  public:
    explicit RowListView(QWidget* parent = nullptr);

    RowModel& rows() const { return *m_rows; }
    int count() const { return m_rows->rowCount(); }
    // The text of `row` (empty outside the list).
    QString text(int row) const;
    // The current row, -1 when there is none.
    int currentRow() const;
    // Makes `row` current and selects it; a row outside the list clears both.
    void setCurrentRow(int row);
    // Scrolls so that `row` is the top row (as far as the list lets it) and selects it.
    void showRowAtTop(int row);

  private:
    RowModel* m_rows;
};

} // namespace velkar::gui
