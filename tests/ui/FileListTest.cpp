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
    const QStringList rows[] = {{"a.wav", "2", "24", "44100", "1 KB"},
                                {"b.wav", "8", "16", "88200", "1 KB"},
                                {"c.wav", "0", "0", "0", "2 KB"},
                                {"d.wav", "20", "32", "96000", "5,242,881 KB"},
                                {"e.wav", "65535", "8", "8000", "1 KB"}};
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

TEST(CSourceFileListTest, RowsAreRenumberedWhenOneGoes) {
    CSourceFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    for (const QString name : {"a", "b", "c"}) {
        list.addItem(name, "/f/" + name, QBitArray(2, true), QBitArray(2));
    }
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.deleteItem(1);
    EXPECT_EQ(changed.count(), 1); // the view sees the new number
    EXPECT_EQ(QStringList({list.getItemText(1, 1), list.getItemText(1, 2), list.getItemText(1, 3),
                           list.getItemText(1, 4)}),
              QStringList({"2", "c", "none", "/f/c"}));
    EXPECT_TRUE(list.getItemText(1, 5).isNull());
    EXPECT_EQ(list.findItem("/f/c"), 1);
}

namespace {

CWaveScanner::_WAVEFILE File(const std::string& name, uint16_t channels, uint32_t rate,
                             uint64_t size) {
    CWaveScanner::_WAVEFILE file;
    file.strFileName = name;
    file.strPath = "/card/" + name;
    file.channels = channels;
    file.bitsPerSample = 24;
    file.samplesPerSec = rate;
    file.size = size;
    return file;
}

QStringList Names(const CRowTable& list) {
    QStringList names;
    for (int row = 0; row < list.getItemCount(); ++row) {
        names << list.getItemText(row, 1);
    }
    return names;
}

} // namespace

// Numbers sort as numbers, names in natural order whatever their case;
// sort(-1) is the folder's own order again; the selection follows its rows.
TEST(CBwfFileListTest, SortsByEachColumnAndBackToTheListingOrder) {
    CBwfFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    ASSERT_TRUE(list.setFiles({File("T10.wav", 8, 48000, 9000), File("t2.WAV", 2, 96000, 100000),
                               File("a.wav", 16, 44100, 9000), File("T1.wav", 2, 48000, 5)}));
    const QStringList listed = {"T10.wav", "t2.WAV", "a.wav", "T1.wav"};
    QTableView table;
    table.setModel(&list);
    table.selectRow(1); // t2.WAV
    struct _CASE {
        int column;
        Qt::SortOrder order;
        QStringList names;
    };
    const _CASE cases[] = {
        {0, Qt::AscendingOrder, {"a.wav", "T1.wav", "t2.WAV", "T10.wav"}},
        {0, Qt::DescendingOrder, {"T10.wav", "t2.WAV", "T1.wav", "a.wav"}},
        // Ties keep the listing order, both ways.
        {1, Qt::AscendingOrder, {"t2.WAV", "T1.wav", "T10.wav", "a.wav"}},
        {1, Qt::DescendingOrder, {"a.wav", "T10.wav", "t2.WAV", "T1.wav"}},
        {3, Qt::AscendingOrder, {"a.wav", "T10.wav", "T1.wav", "t2.WAV"}},
        {4, Qt::AscendingOrder, {"T1.wav", "T10.wav", "a.wav", "t2.WAV"}},
        {-1, Qt::AscendingOrder, listed},
    };
    for (const _CASE& sortCase : cases) {
        list.sort(sortCase.column, sortCase.order);
        EXPECT_EQ(Names(list), sortCase.names) << "column " << sortCase.column;
        EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()),
                  sortCase.names.indexOf("t2.WAV"));
    }
    EXPECT_EQ(list.data(list.index(0, 0), Qt::ToolTipRole).toString(), "/card/T10.wav");
}

// A folder listed again: rows that stay keep their place and selection and
// take their new size; a new file goes where the sort puts it.
TEST(CBwfFileListTest, AListingAgainUpdatesInPlaceAndKeepsTheSort) {
    CBwfFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    list.setFiles({File("b.wav", 2, 48000, 10), File("d.wav", 2, 48000, 10)});
    QTableView table;
    table.setModel(&list);
    list.sort(0, Qt::AscendingOrder);
    table.selectRow(1); // d.wav
    QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
    EXPECT_FALSE(list.setFiles({File("b.wav", 2, 48000, 10), File("d.wav", 2, 48000, 10)}));
    EXPECT_TRUE(list.setFiles(
        {File("d.wav", 2, 48000, 5000), File("c.wav", 4, 48000, 10), File("a.wav", 1, 48000, 10)}));
    EXPECT_EQ(Names(list), QStringList({"a.wav", "c.wav", "d.wav"}));
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), 2);
    EXPECT_EQ(list.getItemText(2, 5), "5 KB");
    EXPECT_EQ(reset.count(), 0);
}

TEST(CSourceFileListTest, TheChannelColumnFollowsTheTicks) {
    CSourceFileList list;
    list.addItem("a", "/f/a", QBitArray(8, true), QBitArray(8, true));
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    const std::pair<std::vector<int>, QString> cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8}, "all 8"},
        {{}, "none"},
        {{1, 2, 3, 4, 7}, "1–4, 7"},
        {{2, 4}, "2, 4"},
        {{8}, "8"},
        {{1, 2, 4, 5, 6}, "1–2, 4–6"},
    };
    for (const auto& [channels, text] : cases) {
        QBitArray select(8);
        for (int n : channels) {
            select.setBit(n - 1);
        }
        list.setSelectChannelData(0, select);
        EXPECT_EQ(list.getItemText(0, 3), text);
    }
    EXPECT_EQ(changed.count(), int(std::size(cases)));
    EXPECT_EQ(changed.last()[0].toModelIndex().column(), 2);
}

TEST(CTargetFileListTest, TakesListedAgainKeepTheSelection) {
    CTargetFileList list;
    QAbstractItemModelTester tester(&list, FATAL);
    QTableView table;
    table.setModel(&list);
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), -1);
    list.setTakes({"T2", "T1"});
    table.selectRow(1);
    EXPECT_TRUE(list.setTakes({"T3", "T1"}));
    EXPECT_EQ(Names(list), QStringList({"T1", "T3"}));
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), 0);
    EXPECT_FALSE(list.setTakes({"T1", "T3"}));
    EXPECT_TRUE(list.getItemText(0, 0).isNull() && list.getItemText(0, 2).isNull());
    list.deleteAllItems();
    EXPECT_EQ(list.getSelectedItemPosition(table.selectionModel()), -1);
}

TEST(CRowTableTest, NaturalOrderComparesNumbersByValueAndIgnoresCase) {
    const std::tuple<QString, QString, int> cases[] = {
        {"T2", "t10", -1},
        {"A01", "a1", 0},
        {"a1b", "a1a", 1},
        {"x", "x1", -1},
        {"9", "10", -1},
        {"Take 2_3", "Take 2_12", -1},
        // Longer than any integer type.
        {"n123456789012345678901", "n123456789012345678900", 1},
    };
    for (const auto& [left, right, order] : cases) {
        const int compared = CRowTable::NaturalCompare(left, right);
        EXPECT_EQ((compared > 0) - (compared < 0), order) << left.toStdString();
        EXPECT_EQ(-CRowTable::NaturalCompare(right, left), compared) << left.toStdString();
    }
}
