#include "CTargetFileList.h"

#include "CTableSelection.h"

CTargetFileList::CTargetFileList(QObject* pParent) : QAbstractTableModel(pParent) {}

void CTargetFileList::addItem(const QString& fileName) {
    insertItem(fileName, getItemCount());
}

void CTargetFileList::insertItem(const QString& fileName, int index) {
    beginInsertRows(QModelIndex(), index, index);
    m_arrayItemList.emplace(m_arrayItemList.begin() + index, fileName);
    endInsertRows();
}

void CTargetFileList::deleteAllItems() {
    beginResetModel();
    m_arrayItemList.clear();
    endResetModel();
}

int CTargetFileList::getItemCount() const {
    return int(m_arrayItemList.size());
}

QString CTargetFileList::getItemText(int row, int subIndex) const {
    return subIndex == 1 ? m_arrayItemList[row].getFileName() : QString();
}

int CTargetFileList::getSelectedItemPosition() const {
    return SelectedTableRow(m_listTargetFile);
}

void CTargetFileList::reloadData() {
    beginResetModel();
    endResetModel();
}

int CTargetFileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : getItemCount();
}

int CTargetFileList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant CTargetFileList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) {
        return QVariant();
    }
    return getItemText(index.row(), 1);
}

QVariant CTargetFileList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0) {
        return QStringLiteral("Take");
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
