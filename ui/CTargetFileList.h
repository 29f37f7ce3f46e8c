#pragma once

#include "CTargetFileItem.h"

#include <QAbstractTableModel>

#include <vector>

class QTableView;

// Model of the take table of the "Mono to Poly" tab: one column, key
// FileName, the take name.
class CTargetFileList : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CTargetFileList(QObject* pParent = nullptr);

    void setTableView(QTableView* pTable) { m_listTargetFile = pTable; }

    void addItem(const QString& fileName);
    void insertItem(const QString& fileName, int index);
    void deleteAllItems();
    int getItemCount() const;
    // 1 the take name; any other: null.
    QString getItemText(int row, int subIndex) const;
    // The table's selected row, or -1.
    int getSelectedItemPosition() const;
    void reloadData();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<CTargetFileItem> m_arrayItemList;
    QTableView* m_listTargetFile = nullptr;
};
