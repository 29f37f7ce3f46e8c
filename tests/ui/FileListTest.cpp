// The table models: row texts and channel masks, renumbering, and the
// selection questions answered from real table views.

#include "CBwfFileList.h"
#include "CSourceFileList.h"
#include "CTargetFileList.h"

#include <QAbstractItemModelTester>
#include <QBitArray>
#include <QSignalSpy>
#include <QTableView>

#include <gtest/gtest.h>

namespace {
constexpr auto FATAL = QAbstractItemModelTester::FailureReportingMode::Fatal;
}

TEST(CBwfFileListTest, RowTextsMasksAndTheWalkOverSelectedRows) {
    CBwfFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    list.addItem("a.wav", 2, 24, 44100, 0);
    list.addItem("b.wav", 8, 16, 88200, 1023);
    list.addItem("c.wav", 0, 0, 0, 1024);
    list.addItem("d.wav", 20, 32, 96000, 5ull << 30); // beyond 32 bits
    list.addItem("e.wav", 65535, 8, 8000, 1);
    const QStringList rows[] = {{"a.wav", "2", "24", "44100", "1KB"},
                                {"b.wav", "8", "16", "88200", "1KB"},
                                {"c.wav", "0", "0", "0", "2KB"},
                                {"d.wav", "20", "32", "96000", "5242881KB"},
                                {"e.wav", "65535", "8", "8000", "1KB"}};
    ASSERT_EQ(list.rowCount(), 5);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 5; ++column) {
            EXPECT_EQ(list.getItemText(row, column + 1), rows[row][column]);
            EXPECT_EQ(list.data(list.index(row, column)).toString(), rows[row][column]);
        }
        // Every channel the file has, none beyond.
        EXPECT_EQ(list.getChannelData(row), QBitArray(rows[row][1].toInt(), true));
    }
    EXPECT_TRUE(list.getItemText(0, 0).isNull() && list.getItemText(0, 6).isNull());

    QTableView table;
    table.setModel(&list);
    QItemSelectionModel* pSelection = table.selectionModel();
    EXPECT_EQ(list.getFirstSelectedItemPosition(pSelection), -1);
    for (int row : {3, 0, 2}) {
        table.selectionModel()->select(list.index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::vector<int> walk;
    for (int row = list.getFirstSelectedItemPosition(pSelection); row != -1;
         row = list.getNextSelectedItemPosition(pSelection, row)) {
        walk.push_back(row);
    }
    EXPECT_EQ(walk, std::vector<int>({0, 2, 3}));
    // One selected cell stands for its row.
    table.selectionModel()->select(list.index(1, 2), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(list.getFirstSelectedItemPosition(pSelection), 1);
}

TEST(CSourceFileListTest, RowsAreRenumberedAndTheSelectionOutlivesAReload) {
    CSourceFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    QTableView table;
    table.setModel(&list);
    for (const QString name : {"a", "b", "c"}) {
        list.addItem(name, "/f/" + name, QBitArray(2, true), QBitArray(2));
    }
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.deleteItem(1);
    EXPECT_EQ(changed.count(), 1); // the view sees the new number
    EXPECT_EQ(QStringList({list.getItemText(1, 1), list.getItemText(1, 2), list.getItemText(1, 3)}),
              QStringList({"2", "c", "/f/c"}));
    QBitArray select(24);
    select.setBit(23);
    list.insertItem("x", "/f/x", QBitArray(24, true), select, 0);
    EXPECT_EQ(list.getSelectChannelData(0), select);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.data(list.index(row, 0)).toString(), QString::number(row + 1));
    }
    EXPECT_TRUE(list.getItemText(0, 4).isNull());
    EXPECT_EQ(list.findItem("/f/c"), 2);
    table.selectRow(1);
    list.reloadData(); // the panel goes on editing the selected row's channels
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), 1);
}

TEST(CTargetFileListTest, TakesInOrderAddedAndTheSelectedOne) {
    CTargetFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    QTableView table;
    table.setModel(&list);
    list.addItem("t2");
    list.addItem("t1");
    EXPECT_EQ(list.data(list.index(1, 0)).toString(), "t1");
    EXPECT_TRUE(list.getItemText(0, 0).isNull() && list.getItemText(0, 2).isNull());
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), -1);
    table.selectRow(1);
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), 1);
    list.deleteAllItems();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), -1);
}
