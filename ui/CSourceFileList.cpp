#include "CSourceFileList.h"

#include "CTableSelection.h"

CSourceFileList::CSourceFileList(QObject* pParent) : QAbstractTableModel(pParent) {}

const QStringList& CSourceFileList::columnKeys() {
    static const QStringList keys{QStringLiteral("Number"), QStringLiteral("FileName"),
                                  QStringLiteral("FilePath")};
    return keys;
}

void CSourceFileList::addItem(const QString& number, const QString& fileName,
                              const QString& filePath, const QBitArray& enaChannelData,
                              const QBitArray& selChannelData) {
    const int row = getItemCount();
    beginInsertRows(QModelIndex(), row, row);
    m_arrayItemList.emplace_back(number, fileName, filePath, enaChannelData, selChannelData);
    endInsertRows();
}

void CSourceFileList::insertItem(const QString& number, const QString& fileName,
                                 const QString& filePath, const QBitArray& enaChannelData,
                                 const QBitArray& selChannelData, int index) {
    beginInsertRows(QModelIndex(), index, index);
    m_arrayItemList.emplace(m_arrayItemList.begin() + index, number, fileName, filePath,
                            enaChannelData, selChannelData);
    endInsertRows();
    Renumber(index);
}

void CSourceFileList::deleteItem(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_arrayItemList.erase(m_arrayItemList.begin() + row);
    endRemoveRows();
    Renumber(row);
}

void CSourceFileList::deleteAllItems() {
    beginResetModel();
    m_arrayItemList.clear();
    endResetModel();
}

int CSourceFileList::getItemCount() const {
    return int(m_arrayItemList.size());
}

QString CSourceFileList::getItemText(int row, int subIndex) const {
    const CSourceFileItem& item = m_arrayItemList[row];
    switch (subIndex) {
    case 1:
        return item.getNumber();
    case 2:
        return item.getFileName();
    case 3:
        return item.getFilePath();
    default:
        return QString();
    }
}

int CSourceFileList::getSelectedItemPosition() const {
    return SelectedTableRow(m_listSourceFile);
}

const QBitArray& CSourceFileList::getEnableChannelData(int row) const {
    return m_arrayItemList[row].getEnableChannelData();
}

const QBitArray& CSourceFileList::getSelectChannelData(int row) const {
    return m_arrayItemList[row].getSelectChannelData();
}

void CSourceFileList::setEnableChannelData(int row, const QBitArray& data) {
    m_arrayItemList[row].setEnableChannelData(data);
}

void CSourceFileList::setSelectChannelData(int row, const QBitArray& data) {
    m_arrayItemList[row].setSelectChannelData(data);
}

void CSourceFileList::reloadData() {
    // A reset clears the view's selection, but the panel goes on editing the
    // selected row's channels after a reload: put the selection back.
    QItemSelectionModel* pSelection =
        m_listSourceFile != nullptr && m_listSourceFile->model() == this
            ? m_listSourceFile->selectionModel()
            : nullptr;
    std::vector<int> selectedRows;
    int currentRow = -1;
    if (pSelection != nullptr) {
        for (int row = 0; row < getItemCount(); ++row) {
            if (pSelection->rowIntersectsSelection(row, QModelIndex())) {
                selectedRows.push_back(row);
            }
        }
        const int current = pSelection->currentIndex().row();
        if (current >= 0 && pSelection->rowIntersectsSelection(current, QModelIndex())) {
            currentRow = current;
        }
    }
    beginResetModel();
    endResetModel();
    if (pSelection == nullptr) {
        return;
    }
    QItemSelection selection;
    for (int row : selectedRows) {
        selection.select(index(row, 0), index(row, columnCount() - 1));
    }
    pSelection->select(selection, QItemSelectionModel::ClearAndSelect);
    if (currentRow >= 0) {
        pSelection->setCurrentIndex(index(currentRow, 0), QItemSelectionModel::NoUpdate);
    }
}

int CSourceFileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : getItemCount();
}

int CSourceFileList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnKeys().size());
}

QVariant CSourceFileList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) {
        return QVariant();
    }
    return getItemText(index.row(), index.column() + 1);
}

QVariant CSourceFileList::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList titles{QStringLiteral("No."), QStringLiteral("File Name"),
                                    QStringLiteral("File Path")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < titles.size()) {
        return titles[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CSourceFileList::Renumber(int from) {
    for (int row = from; row < getItemCount(); ++row) {
        m_arrayItemList[row].setNumber(QString::number(row + 1));
    }
    if (from < getItemCount()) {
        emit dataChanged(index(from, 0), index(getItemCount() - 1, 0), {Qt::DisplayRole});
    }
}
