#pragma once

#include <QString>

#include <cstdint>

// One row of the wave-file table: a file of the chosen folder with its
// format, as texts made once when the row is created.
class CBwfFileItem {
public:
    CBwfFileItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                 uint32_t samplesPerSec, uint64_t size);

    // The mask of a channel count: bits 0 to channels - 1 (all 16 from 16 on).
    static uint16_t MaskOfChannels(uint16_t channels);

    const QString& getFileName() const { return m_strFileName; }
    const QString& getCH() const { return m_strCh; }
    const QString& getBIT() const { return m_strBit; }
    const QString& getFS() const { return m_strFs; }
    const QString& getSize() const { return m_strSize; }
    uint16_t getChannelData() const { return m_channelData; }

    void setChannelData(uint16_t channelData) { m_channelData = channelData; }
    void setFileName(const QString& fileName) { m_strFileName = fileName; }
    void setCH(uint16_t channels);
    void setBIT(uint16_t bitsPerSample);
    void setFS(uint32_t samplesPerSec);
    // "%dKB" of size / 1024 + 1, from the 64-bit size.
    void setSize(uint64_t size);

private:
    uint16_t m_channelData = 0;
    QString m_strFileName;
    QString m_strCh;
    QString m_strBit;
    QString m_strFs;
    QString m_strSize;
};
