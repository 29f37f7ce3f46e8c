#pragma once

#include <QBitArray>
#include <QString>

#include <cstdint>

// One row of the wave-file table: a file of the chosen folder with its
// format, as texts made once when the row is created.
class CBwfFileItem {
public:
    CBwfFileItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                 uint32_t samplesPerSec, uint64_t size);

    const QString& getFileName() const { return m_strFileName; }
    const QString& getCH() const { return m_strCh; }
    const QString& getBIT() const { return m_strBit; }
    const QString& getFS() const { return m_strFs; }
    const QString& getSize() const { return m_strSize; }
    // Bit n-1 set for each channel n the file has.
    const QBitArray& getChannelData() const { return m_channelData; }

    void setChannelData(const QBitArray& channelData) { m_channelData = channelData; }
    void setFileName(const QString& fileName) { m_strFileName = fileName; }
    void setCH(uint16_t channels);
    void setBIT(uint16_t bitsPerSample);
    void setFS(uint32_t samplesPerSec);
    // "%dKB" of size / 1024 + 1, from the 64-bit size.
    void setSize(uint64_t size);

private:
    QBitArray m_channelData;
    QString m_strFileName;
    QString m_strCh;
    QString m_strBit;
    QString m_strFs;
    QString m_strSize;
};
