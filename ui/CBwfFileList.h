#pragma once

#include "CRowTable.h"
#include "CWaveScanner.h"

#include <QBitArray>

#include <vector>

// Model of the wave-file table of the "Poly to Mono" tab, a row per file of
// the chosen folder. Columns: file name (its full path as the tip),
// channels, bits, rate, size in KB (size / 1024 + 1, with thousands
// separators); the numbers right-aligned, sorted as numbers.
class CBwfFileList : public CRowTableOf<CWaveScanner::_WAVEFILE> {
    Q_OBJECT
public:
    explicit CBwfFileList(QObject* pParent = nullptr);

    void addItem(const CWaveScanner::_WAVEFILE& file);
    void addItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                 uint32_t samplesPerSec, uint64_t size);
    // Makes the rows those of files, matched by path: rows of files still
    // there stay where they are (with their new format and size), the new
    // ones come at the end, then the last sort is applied. True when a row
    // came, went or changed.
    bool setFiles(std::vector<CWaveScanner::_WAVEFILE> files);
    // Bit n-1 set for each channel n the row's file has.
    QBitArray getChannelData(int row) const;

protected:
    QString Text(int row, int column) const override;
    QString ToolTip(int row, int column) const override;
    Qt::Alignment Alignment(int column) const override;
    int Compare(int left, int right, int column) const override;
};
