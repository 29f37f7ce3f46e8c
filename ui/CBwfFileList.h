#pragma once

#include "CRowTable.h"
#include "CWaveScanner.h"

#include <QBitArray>

// Model of the wave-file table of the "Poly to Mono" tab, a row per file of
// the chosen folder. Columns: file name, channels, bits, rate, size in KB
// (size / 1024 + 1).
class CBwfFileList : public CRowTableOf<CWaveScanner::_WAVEFILE> {
    Q_OBJECT
public:
    explicit CBwfFileList(QObject* pParent = nullptr);

    void addItem(const CWaveScanner::_WAVEFILE& file);
    void addItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                 uint32_t samplesPerSec, uint64_t size);
    // Bit n-1 set for each channel n the row's file has.
    QBitArray getChannelData(int row) const;

protected:
    QString Text(int row, int column) const override;
};
