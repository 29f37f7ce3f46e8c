#include "CSourceFileList.h"

#include "CChannelText.h"

namespace {

enum { COLUMN_NUMBER, COLUMN_NAME, COLUMN_CHANNELS, COLUMN_PATH };

} // namespace

CSourceFileList::CSourceFileList(QObject* pParent)
    : CRowTableOf({tr("No."), tr("File Name"), tr("Channels"), tr("File Path")}, pParent,
                  {QString(), QString(), tr("The channels that will be written")}) {}

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
    emit dataChanged(index(row, COLUMN_CHANNELS), index(row, COLUMN_CHANNELS),
                     {Qt::DisplayRole, Qt::ToolTipRole});
}

QString CSourceFileList::Text(int row, int column) const {
    switch (column) {
    case COLUMN_NUMBER:
        return QString::number(GetRow(row).number);
    case COLUMN_NAME:
        return GetRow(row).strFileName;
    case COLUMN_CHANNELS:
        return CChannelText::Selection(GetRow(row).selectChannel);
    default:
        return GetRow(row).strFilePath;
    }
}

QString CSourceFileList::ToolTip(int row, int column) const {
    switch (column) {
    case COLUMN_NAME:
    case COLUMN_PATH:
        return GetRow(row).strFilePath;
    case COLUMN_CHANNELS: {
        const QBitArray& select = GetRow(row).selectChannel;
        if (select.count(true) == 0) {
            return tr("No channel will be written: tick the channels to write.");
        }
        return tr("Writes channels %1 of the file's %2")
            .arg(CChannelText::Selection(select))
            .arg(GetRow(row).enableChannel.size());
    }
    default:
        return QString();
    }
}

Qt::Alignment CSourceFileList::Alignment(int column) const {
    return column == COLUMN_NUMBER ? Qt::AlignRight | Qt::AlignVCenter
                                   : Qt::AlignLeft | Qt::AlignVCenter;
}

void CSourceFileList::Renumber(int row) {
    for (int next = row; next < getItemCount(); ++next) {
        EditRow(next).number = next + 1;
    }
    if (row < getItemCount()) {
        emit dataChanged(index(row, COLUMN_NUMBER), index(getItemCount() - 1, COLUMN_NUMBER),
                         {Qt::DisplayRole});
    }
}
