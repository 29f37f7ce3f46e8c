#pragma once

// What the window tests share: wave files made on the spot, the channel
// boxes read as bits, clicks and selections as a user makes them, and a
// main window over a temporary folder of the test's own.

#include "CChannelGrid.h"
#include "CDialogAnswer.h"
#include "CFolderView.h"
#include "CMain.h"
#include "CTestKit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QBitArray>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <memory>

// A 16-bit PCM file whose samples are sparse zeros, so a long one is cheap;
// before: the chunks before "data".
inline void WriteWave(const fs::path& path, uint16_t channels, uint32_t frames,
                      const Bytes& before = {}) {
    const uint32_t dataBytes = frames * channels * 2;
    const Bytes header = Wave(FmtBody(1, channels, 16, 48000), before, {}, {}, dataBytes);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    fs::resize_file(path, header.size() + dataBytes);
}

inline QAbstractButton* Check(CChannelGrid* pGrid, int n) {
    return qobject_cast<QAbstractButton*>(pGrid->GetCell(n));
}
// The ticks of the grid's boxes, bit n-1 for box n.
inline QBitArray Checks(CChannelGrid* pGrid) {
    QBitArray bits(pGrid->GetCellCount());
    for (int n = 1; n <= bits.size(); ++n) {
        bits.setBit(n - 1, Check(pGrid, n)->isChecked());
    }
    return bits;
}
inline void ClickRow(QAbstractItemView* pView, const QModelIndex& index) {
    pView->scrollTo(index);
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, pView->visualRect(index).center());
}

class CPanelTest : public CTempFolderTest {
protected:
    void SetUp() override {
        CTempFolderTest::SetUp();
        m_dir = m_pathFolder;
        fs::create_directories(m_dir / "in");
        fs::create_directories(m_dir / "out");
        m_main =
            std::make_unique<CMain>(QStringList{QString::fromStdString(m_dir.string())}, QString());
    }
    void TearDown() override {
        m_main.reset();
        CTempFolderTest::TearDown();
    }
    QString Dir(const char* name) const { return QString::fromStdString((m_dir / name).string()); }
    template <typename T> T* Child(QWidget* pParent, const char* name) {
        return pParent->findChild<T*>(QLatin1String(name));
    }
    void SelectRows(QTableView* pTable, std::initializer_list<int> rows) {
        pTable->clearSelection();
        for (int row : rows) {
            pTable->selectionModel()->select(pTable->model()->index(row, 0),
                                             QItemSelectionModel::Select |
                                                 QItemSelectionModel::Rows);
            pTable->selectionModel()->setCurrentIndex(pTable->model()->index(row, 0),
                                                      QItemSelectionModel::NoUpdate);
        }
    }
    // Presses Convert and closes the window at the end of the run; its
    // headline and summary.
    template <typename PANEL> QString Convert(PANEL* pPanel) {
        CDialogAnswer close("Close");
        pPanel->OnButtonConvert();
        EXPECT_EQ(close.m_count, 1);
        return close.m_strText;
    }
    fs::path m_dir;
    std::unique_ptr<CMain> m_main;
};
