#include "app/RowList.h"

#include <algorithm>

namespace velkar::gui {

RowModel::RowModel(QObject* parent) : QAbstractListModel(parent) {}

void RowModel::setRows(int count, RowText text) {
    beginResetModel();
    m_count = text ? std::max(count, 0) : 0;
    m_text = std::move(text);
    endResetModel();
}

void RowModel::appendRows(int added, RowText text) {
    if (added <= 0 || !text)
        return;
    beginInsertRows(QModelIndex(), m_count, m_count + added - 1);
    m_count += added;
    m_text = std::move(text);
    endInsertRows();
}

int RowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_count;
}

QVariant RowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_count || index.column() != 0)
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return m_text(index.row());
}

RowListView::RowListView(QWidget* parent) : QListView(parent), m_rows(new RowModel(this)) {
    setModel(m_rows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString RowListView::text(int row) const {
    return m_rows->data(m_rows->index(row), Qt::DisplayRole).toString();
}

int RowListView::currentRow() const {
    return currentIndex().row();
}

void RowListView::setCurrentRow(int row) {
    const QModelIndex index = m_rows->index(row);
    if (!index.isValid()) {
        selectionModel()->clear();
        return;
    }
    setCurrentIndex(index);
}

void RowListView::showRowAtTop(int row) {
    const QModelIndex index = m_rows->index(row);
    if (!index.isValid())
        return;
    scrollTo(index, QAbstractItemView::PositionAtTop);
    setCurrentIndex(index);
}

} // namespace velkar::gui
