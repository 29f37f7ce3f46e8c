#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <utility>
#include <vector>

class QItemSelectionModel;

// What the window's tables share: rows of values shown as texts, one column
// per title, and the selection questions, answered from the selection model
// of whichever view shows the table. Sub-index n is column n - 1.
class CRowTable : public QAbstractTableModel {
public:
    int getItemCount() const { return RowCount(); }
    // The text shown at row and column subIndex - 1; null outside the columns.
    QString getItemText(int row, int subIndex) const;
    void deleteAllItems();
    // Tells views that every row may show other texts; the selection stays.
    void reloadData();

    // The selected row of a table of one selected row: the current row when
    // it is selected, else the top selected row; -1 when none is.
    static int getSelectedItemPosition(const QItemSelectionModel* pSelection);
    // The lowest row with a selected cell, or -1; the lowest such row below
    // row, or -1.
    static int getFirstSelectedItemPosition(const QItemSelectionModel* pSelection);
    static int getNextSelectedItemPosition(const QItemSelectionModel* pSelection, int row);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    CRowTable(const QStringList& titles, QObject* pParent);

    virtual int RowCount() const = 0;
    virtual QString Text(int row, int column) const = 0;
    virtual void ClearRows() = 0;

private:
    QStringList m_arrayTitle;
};

// A table over a vector of plain ROW values.
template <typename ROW> class CRowTableOf : public CRowTable {
public:
    const ROW& GetRow(int row) const { return m_arrayRow[std::size_t(row)]; }

protected:
    using CRowTable::CRowTable;

    void InsertRow(int index, ROW row) {
        beginInsertRows(QModelIndex(), index, index);
        m_arrayRow.insert(m_arrayRow.begin() + index, std::move(row));
        endInsertRows();
    }
    void RemoveRow(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        m_arrayRow.erase(m_arrayRow.begin() + row);
        endRemoveRows();
    }
    // Views learn of a change to a shown value by dataChanged.
    ROW& EditRow(int row) { return m_arrayRow[std::size_t(row)]; }

    int RowCount() const override { return int(m_arrayRow.size()); }
    void ClearRows() override { m_arrayRow.clear(); }

private:
    std::vector<ROW> m_arrayRow;
};
