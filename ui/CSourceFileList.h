#pragma once

#include "CSourceFileItem.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class QTableView;

// Model of the source table of the "Poly to Mono" tab, the work list of the
// split. Column keys, in the order of the sub-indices 1 to 3: Number,
// FileName, FilePath. After an insert or delete at k the rows from k on are
// renumbered "1", "2", ...; addItem takes the number its caller gives.
class CSourceFileList : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CSourceFileList(QObject* pParent = nullptr);

    void setTableView(QTableView* pTable) { m_listSourceFile = pTable; }
    static const QStringList& columnKeys();

    void addItem(const QString& number, const QString& fileName, const QString& filePath,
                 const QBitArray& enaChannelData, const QBitArray& selChannelData);
    void insertItem(const QString& number, const QString& fileName, const QString& filePath,
                    const QBitArray& enaChannelData, const QBitArray& selChannelData, int index);
    void deleteItem(int row);
    void deleteAllItems();
    int getItemCount() const;
    // 1 number, 2 file name, 3 full path; any other: null.
    QString getItemText(int row, int subIndex) const;
    // The table's selected row, or -1.
    int getSelectedItemPosition() const;
    // Bit n-1 for channel n: the channels the row's file has, and the
    // channels to write.
    const QBitArray& getEnableChannelData(int row) const;
    const QBitArray& getSelectChannelData(int row) const;
    void setEnableChannelData(int row, const QBitArray& data);
    void setSelectChannelData(int row, const QBitArray& data);
    void reloadData();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void Renumber(int from);

    std::vector<CSourceFileItem> m_arrayItemList;
    QTableView* m_listSourceFile = nullptr;
};
