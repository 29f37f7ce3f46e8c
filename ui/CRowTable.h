#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

class QItemSelectionModel;

// What the window's tables share: rows of values shown as texts, one column
// per title, and the selection questions, answered from the selection model
// of whichever view shows the table. Sub-index n is column n - 1.
// A table sorts on any column (sort(-1) puts the rows back in the order they
// came in); rows added later keep the table in its sort order only once
// Resort is called.
class CRowTable : public QAbstractTableModel {
public:
    int getItemCount() const { return RowCount(); }
    // The text shown at row and column subIndex - 1; null outside the columns.
    QString getItemText(int row, int subIndex) const;
    void deleteAllItems();
    // Tells views that every row may show other texts; the selection stays.
    void reloadData();
    // The column and order of the last sort; -1 while in the order the rows came.
    int getSortColumn() const { return m_sortColumn; }
    Qt::SortOrder getSortOrder() const { return m_sortOrder; }
    // Sorts again as the last sort did.
    void Resort() { sort(m_sortColumn, m_sortOrder); }

    // The selected row of a table of one selected row: the current row when
    // it is selected, else the top selected row; -1 when none is.
    static int getSelectedItemPosition(const QItemSelectionModel* pSelection);
    // The lowest row with a selected cell, or -1; the lowest such row below
    // row, or -1.
    static int getFirstSelectedItemPosition(const QItemSelectionModel* pSelection);
    static int getNextSelectedItemPosition(const QItemSelectionModel* pSelection, int row);
    // < 0, 0 or > 0: texts in natural order, case aside, numbers by value
    // ("T2" before "t10", "A01" with "a1").
    static int NaturalCompare(const QString& left, const QString& right);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    // headerTips: a tip per title, empty for none.
    CRowTable(const QStringList& titles, QObject* pParent, const QStringList& headerTips = {});

    virtual int RowCount() const = 0;
    virtual QString Text(int row, int column) const = 0;
    virtual void ClearRows() = 0;
    // The tip of a cell; none by default.
    virtual QString ToolTip(int row, int column) const;
    // Left by default; numbers read better right-aligned.
    virtual Qt::Alignment Alignment(int column) const;
    // < 0, 0 or > 0 as row left comes before, with or after row right in
    // column; by default their texts in natural order ("T2" before "T10").
    virtual int Compare(int left, int right, int column) const;
    // Puts row newOrder[i] at row i.
    virtual void PermuteRows(const std::vector<int>& newOrder) = 0;
    // The place of each row in the order the rows came.
    virtual uint64_t ArrivalOf(int row) const = 0;

private:
    QStringList m_arrayTitle;
    QStringList m_arrayHeaderTip;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
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
        m_arrayArrival.insert(m_arrayArrival.begin() + index, m_nextArrival++);
        endInsertRows();
    }
    void RemoveRow(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        m_arrayRow.erase(m_arrayRow.begin() + row);
        m_arrayArrival.erase(m_arrayArrival.begin() + row);
        endRemoveRows();
    }
    // Views learn of a change to a shown value by dataChanged.
    ROW& EditRow(int row) { return m_arrayRow[std::size_t(row)]; }

    // Makes the rows those of rows, matched by keyOf: a row whose key has
    // gone is removed, one whose key stays takes the new values in its
    // place, new keys are added at the end, in their order; then sorts again.
    // Views keep their selection and scroll position. True when a row came,
    // went or changed (as equal says).
    template <typename KEYOF, typename EQUAL>
    bool MergeRows(std::vector<ROW> rows, KEYOF keyOf, EQUAL equal) {
        QHash<QString, std::size_t> arrayNew;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            arrayNew.insert(keyOf(rows[i]), i);
        }
        bool isChanged = false;
        std::vector<bool> isKept(rows.size(), false);
        for (int row = RowCount() - 1; row >= 0; --row) {
            const auto found = arrayNew.constFind(keyOf(GetRow(row)));
            if (found == arrayNew.cend()) {
                RemoveRow(row);
                isChanged = true;
                continue;
            }
            isKept[*found] = true;
            if (!equal(GetRow(row), rows[*found])) {
                EditRow(row) = rows[*found];
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
                isChanged = true;
            }
        }
        std::vector<ROW> arrayAdded;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!isKept[i]) {
                arrayAdded.push_back(std::move(rows[i]));
            }
        }
        if (!arrayAdded.empty()) {
            // One insertion for all: a whole folder's rows come at once.
            beginInsertRows(QModelIndex(), RowCount(), RowCount() + int(arrayAdded.size()) - 1);
            for (ROW& row : arrayAdded) {
                m_arrayRow.push_back(std::move(row));
                m_arrayArrival.push_back(m_nextArrival++);
            }
            endInsertRows();
            isChanged = true;
        }
        Resort();
        return isChanged;
    }

    int RowCount() const override { return int(m_arrayRow.size()); }
    void ClearRows() override {
        m_arrayRow.clear();
        m_arrayArrival.clear();
    }
    void PermuteRows(const std::vector<int>& newOrder) override {
        std::vector<ROW> arrayRow;
        std::vector<uint64_t> arrayArrival;
        arrayRow.reserve(newOrder.size());
        arrayArrival.reserve(newOrder.size());
        for (int old : newOrder) {
            arrayRow.push_back(std::move(m_arrayRow[std::size_t(old)]));
            arrayArrival.push_back(m_arrayArrival[std::size_t(old)]);
        }
        m_arrayRow = std::move(arrayRow);
        m_arrayArrival = std::move(arrayArrival);
    }
    uint64_t ArrivalOf(int row) const override { return m_arrayArrival[std::size_t(row)]; }

private:
    std::vector<ROW> m_arrayRow;
    std::vector<uint64_t> m_arrayArrival;
    uint64_t m_nextArrival = 0;
};
