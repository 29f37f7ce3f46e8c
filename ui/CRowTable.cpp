#include "CRowTable.h"

#include <QItemSelectionModel>

CRowTable::CRowTable(const QStringList& titles, QObject* pParent)
    : QAbstractTableModel(pParent), m_arrayTitle(titles) {}

QString CRowTable::getItemText(int row, int subIndex) const {
    return subIndex >= 1 && subIndex <= m_arrayTitle.size() ? Text(row, subIndex - 1) : QString();
}

void CRowTable::deleteAllItems() {
    beginResetModel();
    ClearRows();
    endResetModel();
}

void CRowTable::reloadData() {
    if (RowCount() > 0) {
        emit dataChanged(index(0, 0), index(RowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
    }
}

int CRowTable::getSelectedItemPosition(const QItemSelectionModel* pSelection) {
    if (pSelection == nullptr || !pSelection->hasSelection()) {
        return -1;
    }
    const int current = pSelection->currentIndex().row();
    if (current >= 0 && pSelection->rowIntersectsSelection(current, QModelIndex())) {
        return current;
    }
    return getFirstSelectedItemPosition(pSelection);
}

int CRowTable::getFirstSelectedItemPosition(const QItemSelectionModel* pSelection) {
    return getNextSelectedItemPosition(pSelection, -1);
}

int CRowTable::getNextSelectedItemPosition(const QItemSelectionModel* pSelection, int row) {
    if (pSelection == nullptr || pSelection->model() == nullptr) {
        return -1;
    }
    // Any selected cell counts, so a view selecting items rather than rows works too.
    const int count = pSelection->model()->rowCount();
    for (int next = row + 1; next < count; ++next) {
        if (pSelection->rowIntersectsSelection(next, QModelIndex())) {
            return next;
        }
    }
    return -1;
}

int CRowTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount();
}

int CRowTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_arrayTitle.size());
}

QVariant CRowTable::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) {
        return QVariant();
    }
    return Text(index.row(), index.column());
}

QVariant CRowTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_arrayTitle.size()) {
        return m_arrayTitle[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
