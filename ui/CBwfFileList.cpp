#include "CBwfFileList.h"

#include <QLocale>

namespace {

enum { COLUMN_NAME, COLUMN_CHANNELS, COLUMN_BITS, COLUMN_RATE, COLUMN_SIZE };

template <typename T> int Order(T left, T right) {
    return left < right ? -1 : right < left ? 1 : 0;
}

} // namespace

CBwfFileList::CBwfFileList(QObject* pParent)
    : CRowTableOf({tr("File Name"), tr("CH"), tr("BIT"), tr("FS"), tr("Size")}, pParent,
                  {QString(), tr("Channels"), tr("Bits per sample"), tr("Sample rate"),
                   tr("File size in KB (1 KB = 1024 bytes)")}) {}

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

bool CBwfFileList::setFiles(std::vector<CWaveScanner::_WAVEFILE> files) {
    return MergeRows(
        std::move(files),
        [](const CWaveScanner::_WAVEFILE& file) { return QString::fromStdString(file.strPath); },
        [](const CWaveScanner::_WAVEFILE& left, const CWaveScanner::_WAVEFILE& right) {
            return left.strFileName == right.strFileName && left.channels == right.channels &&
                   left.bitsPerSample == right.bitsPerSample &&
                   left.samplesPerSec == right.samplesPerSec && left.size == right.size;
        });
}

QBitArray CBwfFileList::getChannelData(int row) const {
    return QBitArray(GetRow(row).channels, true);
}

QString CBwfFileList::Text(int row, int column) const {
    const CWaveScanner::_WAVEFILE& file = GetRow(row);
    switch (column) {
    case COLUMN_NAME:
        return QString::fromStdString(file.strFileName);
    case COLUMN_CHANNELS:
        return QString::number(file.channels);
    case COLUMN_BITS:
        return QString::number(file.bitsPerSample);
    case COLUMN_RATE:
        return QString::number(file.samplesPerSec);
    default: {
        // The C locale leaves the separators out unless told otherwise.
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
        return tr("%1 KB").arg(locale.toString(qulonglong(file.size / 1024 + 1)));
    }
    }
}

QString CBwfFileList::ToolTip(int row, int column) const {
    return column == COLUMN_NAME ? QString::fromStdString(GetRow(row).strPath) : QString();
}

Qt::Alignment CBwfFileList::Alignment(int column) const {
    return column == COLUMN_NAME ? Qt::AlignLeft | Qt::AlignVCenter
                                 : Qt::AlignRight | Qt::AlignVCenter;
}

int CBwfFileList::Compare(int left, int right, int column) const {
    const CWaveScanner::_WAVEFILE& a = GetRow(left);
    const CWaveScanner::_WAVEFILE& b = GetRow(right);
    switch (column) {
    case COLUMN_CHANNELS:
        return Order(a.channels, b.channels);
    case COLUMN_BITS:
        return Order(a.bitsPerSample, b.bitsPerSample);
    case COLUMN_RATE:
        return Order(a.samplesPerSec, b.samplesPerSec);
    case COLUMN_SIZE:
        return Order(a.size, b.size);
    default:
        return CRowTableOf::Compare(left, right, column);
    }
}
