#include "CBwfFileItem.h"

CBwfFileItem::CBwfFileItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                           uint32_t samplesPerSec, uint64_t size) {
    setFileName(fileName);
    setCH(channels);
    setBIT(bitsPerSample);
    setFS(samplesPerSec);
    setSize(size);
    m_channelData = QBitArray(channels, true);
}

void CBwfFileItem::setCH(uint16_t channels) {
    m_strCh = QString::number(channels);
}

void CBwfFileItem::setBIT(uint16_t bitsPerSample) {
    m_strBit = QString::number(bitsPerSample);
}

void CBwfFileItem::setFS(uint32_t samplesPerSec) {
    m_strFs = QString::number(samplesPerSec);
}

void CBwfFileItem::setSize(uint64_t size) {
    m_strSize = QString::number(qulonglong(size / 1024 + 1)) + QStringLiteral("KB");
}
