#include "CBwfFileList.h"

CBwfFileList::CBwfFileList(QObject* pParent)
    : CRowTableOf({QStringLiteral("File Name"), QStringLiteral("CH"), QStringLiteral("BIT"),
                   QStringLiteral("FS"), QStringLiteral("Size")},
                  pParent) {}

void CBwfFileList::addItem(const CWaveScanner::_WAVEFILE& file) {
    InsertRow(getItemCount(), file);
}

void CBwfFileList::addItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                           uint32_t samplesPerSec, uint64_t size) {
    CWaveScanner::_WAVEFILE file;
    file.strFileName = fileName.toStdString();
    file.channels = channels;
    file.bitsPerSample = bitsPerSample;
    file.samplesPerSec = samplesPerSec;
    file.size = size;
    addItem(file);
}

QBitArray CBwfFileList::getChannelData(int row) const {
    return QBitArray(GetRow(row).channels, true);
}

QString CBwfFileList::Text(int row, int column) const {
    const CWaveScanner::_WAVEFILE& file = GetRow(row);
    switch (column) {
    case 0:
        return QString::fromStdString(file.strFileName);
    case 1:
        return QString::number(file.channels);
    case 2:
        return QString::number(file.bitsPerSample);
    case 3:
        return QString::number(file.samplesPerSec);
    default:
        return QString::number(qulonglong(file.size / 1024 + 1)) + QStringLiteral("KB");
    }
}
