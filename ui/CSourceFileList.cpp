#include "CSourceFileList.h"

CSourceFileList::CSourceFileList(QObject* pParent)
    : CRowTableOf({QStringLiteral("No."), QStringLiteral("File Name"), QStringLiteral("File Path")},
                  pParent) {}

void CSourceFileList::addItem(const QString& fileName, const QString& filePath,
                              const QBitArray& enaChannelData, const QBitArray& selChannelData) {
    insertItem(fileName, filePath, enaChannelData, selChannelData, getItemCount());
}

void CSourceFileList::insertItem(const QString& fileName, const QString& filePath,
                                 const QBitArray& enaChannelData, const QBitArray& selChannelData,
                                 int index) {
    InsertRow(index, {index + 1, fileName, filePath, enaChannelData, selChannelData});
    Renumber(index + 1);
}

void CSourceFileList::deleteItem(int row) {
    RemoveRow(row);
    Renumber(row);
}

int CSourceFileList::findItem(const QString& path) const {
    for (int row = 0; row < getItemCount(); ++row) {
        if (GetRow(row).strFilePath == path) {
            return row;
        }
    }
    return -1;
}

void CSourceFileList::setSelectChannelData(int row, const QBitArray& data) {
    EditRow(row).selectChannel = data;
}

QString CSourceFileList::Text(int row, int column) const {
    switch (column) {
    case 0:
        return QString::number(GetRow(row).number);
    case 1:
        return GetRow(row).strFileName;
    default:
        return GetRow(row).strFilePath;
    }
}

void CSourceFileList::Renumber(int row) {
    for (int next = row; next < getItemCount(); ++next) {
        EditRow(next).number = next + 1;
    }
    if (row < getItemCount()) {
        emit dataChanged(index(row, 0), index(getItemCount() - 1, 0), {Qt::DisplayRole});
    }
}
