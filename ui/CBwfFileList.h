#pragma once

#include "CBwfFileItem.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class QTableView;

// Model of the wave-file table of the "Poly to Mono" tab. Column keys, in
// the order of the sub-indices 1 to 5: FileName, CH, BIT, FS, Size. Rows
// added are announced to views at once; reloadData refreshes the whole table.
class CBwfFileList : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CBwfFileList(QObject* pParent = nullptr);

    // The table whose selection the selection questions read.
    void setTableView(QTableView* pTable) { m_listBwfFile = pTable; }
    static const QStringList& columnKeys();

    void addItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                 uint32_t samplesPerSec, uint64_t size);
    void insertItem(const QString& fileName, uint16_t channels, uint16_t bitsPerSample,
                    uint32_t samplesPerSec, uint64_t size, int index);
    void deleteAllItems();
    int getItemCount() const;
    // 1 file name, 2 channels, 3 bits, 4 rate, 5 size; any other: null.
    QString getItemText(int row, int subIndex) const;
    // Bit n-1 set for each channel n the row's file has.
    const QBitArray& getChannelData(int row) const;
    void setChannelData(const QBitArray& channelData, int row);
    // The lowest selected row, or -1; the lowest selected row above row, or -1.
    int getFirstSelectedItemPosition() const;
    int getNextSelectedItemPosition(int row) const;
    void reloadData();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<CBwfFileItem> m_arrayItemList;
    QTableView* m_listBwfFile = nullptr;
};
