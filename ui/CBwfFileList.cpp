#include "CBwfFileList.h"

#include <QItemSelectionModel>
#include <QTableView>

CBwfFileList::CBwfFileList(QObject* pParent) : QAbstractTableModel(pParent) {}

const QStringList& CBwfFileList::columnKeys() {
    static const QStringList keys{QStringLiteral("FileName"), QStringLiteral("CH"),
                                  QStringLiteral("BIT"), QStringLiteral("FS"),
                                  QStringLiteral("Size")};
    return keys;
}

void CBwfFileList::addItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                           uint32_t samplesPerSec, uint64_t size) {
    insertItem(fileName, channels, bitsPerSample, samplesPerSec, size, getItemCount());
}

void CBwfFileList::insertItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                              uint32_t samplesPerSec, uint64_t size, int index) {
    beginInsertRows(QModelIndex(), index, index);
    m_arrayItemList.emplace(m_arrayItemList.begin() + index, fileName, channels, bitsPerSample,
                            samplesPerSec, size);
    endInsertRows();
}

void CBwfFileList::deleteAllItems() {
    beginResetModel();
    m_arrayItemList.clear();
    endResetModel();
}

int CBwfFileList::getItemCount() const {
    return int(m_arrayItemList.size());
}

QString CBwfFileList::getItemText(int row, int subIndex) const {
    const CBwfFileItem& item = m_arrayItemList[row];
    switch (subIndex) {
    case 1:
        return item.getFileName();
    case 2:
        return item.getCH();
    case 3:
        return item.getBIT();
    case 4:
        return item.getFS();
    case 5:
        return item.getSize();
    default:
        return QString();
    }
}

const QBitArray& CBwfFileList::getChannelData(int row) const {
    return m_arrayItemList[row].getChannelData();
}

void CBwfFileList::setChannelData(const QBitArray& channelData, int row) {
    m_arrayItemList[row].setChannelData(channelData);
}

int CBwfFileList::getFirstSelectedItemPosition() const {
    return getNextSelectedItemPosition(-1);
}

int CBwfFileList::getNextSelectedItemPosition(int row) const {
    if (m_listBwfFile == nullptr || m_listBwfFile->selectionModel() == nullptr) {
        return -1;
    }
    // Any selected cell counts, so a view selecting items rather than rows works too.
    const QItemSelectionModel* pSelection = m_listBwfFile->selectionModel();
    for (int next = row + 1; next < getItemCount(); ++next) {
        if (pSelection->rowIntersectsSelection(next, QModelIndex())) {
            return next;
        }
    }
    return -1;
}

void CBwfFileList::reloadData() {
    beginResetModel();
    endResetModel();
}

int CBwfFileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : getItemCount();
}

int CBwfFileList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnKeys().size());
}

QVariant CBwfFileList::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) {
        return QVariant();
    }
    return getItemText(index.row(), index.column() + 1);
}

QVariant CBwfFileList::headerData(int section, Qt::Orientation orientation, int role) const {
    static const QStringList titles{QStringLiteral("File Name"), QStringLiteral("CH"),
                                    QStringLiteral("BIT"), QStringLiteral("FS"),
                                    QStringLiteral("Size")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < titles.size()) {
        return titles[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
