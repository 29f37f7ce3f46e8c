// The two tabs as a user drives them: folder scans, the source list and its
// channel check boxes, the Convert checks and their alerts, and whole
// conversions through the progress window and its worker thread.

#include "CAlert.h"
#include "CBwfFileList.h"
#include "CChannelGrid.h"
#include "CMain.h"
#include "CModalWatch.h"
#include "CMonoToPolyPanel.h"
#include "CPolyToMonoJob.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"
#include "CSourceFileList.h"
#include "CTargetFileList.h"
#include "CTestKit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBitArray>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A 16-bit PCM file whose samples are sparse zeros, so a long one is cheap.
void WriteWave(const fs::path& path, uint16_t channels, uint32_t frames) {
    const uint32_t dataBytes = frames * channels * 2;
    const Bytes header = Wave(FmtBody(1, channels, 16, 48000), {}, {}, {}, dataBytes);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    fs::resize_file(path, header.size() + dataBytes);
}

QBitArray Bits(int size, std::initializer_list<int> channels) {
    QBitArray bits(size);
    for (int n : channels) {
        bits.setBit(n - 1);
    }
    return bits;
}
QAbstractButton* Check(CChannelGrid* pGrid, int n) {
    return qobject_cast<QAbstractButton*>(pGrid->GetCell(n));
}
// The ticks, or the enabled states, of the grid's boxes, bit n-1 for box n.
QBitArray Checks(CChannelGrid* pGrid, bool isEnabled = false) {
    QBitArray bits(pGrid->GetCellCount());
    for (int n = 1; n <= bits.size(); ++n) {
        bits.setBit(n - 1, isEnabled ? Check(pGrid, n)->isEnabled() : Check(pGrid, n)->isChecked());
    }
    return bits;
}

class CQuietHost : public CJobHost {
public:
    void SetProgressText(const std::string&, const std::string&) override {}
    bool AskOverwrite(const std::string&, const std::string&) override { return true; }
    void ShowError(const std::string& message) override { ADD_FAILURE() << message; }
};

// Answers the next alert with the button named answer and keeps its text.
class CAlertAnswer {
public:
    explicit CAlertAnswer(const QString& answer) : m_strAnswer(answer) {
        ++CModalWatch::m_claimCount;
        Arm();
    }
    ~CAlertAnswer() { --CModalWatch::m_claimCount; }
    CAlertAnswer(const CAlertAnswer&) = delete;
    CAlertAnswer& operator=(const CAlertAnswer&) = delete;
    QString m_strText;
    int m_count = 0;

private:
    void Arm() {
        QTimer::singleShot(5, [this]() {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (pBox == nullptr) {
                Arm();
                return;
            }
            m_strText = pBox->text();
            ++m_count;
            for (QAbstractButton* pButton : pBox->buttons()) {
                if (pButton->text() == m_strAnswer) {
                    pButton->click();
                }
            }
        });
    }
    QString m_strAnswer;
};

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

    fs::path m_dir;
    std::unique_ptr<CMain> m_main;
};

// The list holds no FIFO named like a wave file (opening it would block) nor
// a folder, and its extension test is exact.
TEST_F(CPanelTest, PolyToMonoListsEditsAndConverts) {
    for (const char* name : {"a.wav", "b.WAV", "c.Wav", "d.wave"}) {
        WriteWave(m_dir / "in" / name, 4, 100);
    }
    ASSERT_EQ(mkfifo((m_dir / "in/fifo.wav").c_str(), 0600), 0);
    fs::create_directory(m_dir / "in/folder.WAV");
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    CBwfFileList* pFiles = pPanel->getBwfFileList();
    ASSERT_EQ(pFiles->getItemCount(), 2);
    const QList<QTableView*> pTables = pPanel->findChildren<QTableView*>();
    QTableView* pBwfTable = pTables[0];
    QTableView* pSourceTable = pTables[1];
    auto* pConvert = Child<QPushButton>(pPanel, "Convert");

    {
        CAlertAnswer alert("OK");
        pPanel->OnButtonSourceAdd(); // nothing selected
        EXPECT_EQ(alert.m_strText, "Please select wave file first.");
    }
    SelectRows(pBwfTable, {0, 1});
    pPanel->OnButtonSourceAdd();
    pPanel->OnButtonSourceAll(); // both are listed already
    CSourceFileList* pSources = pPanel->getSourceFileList();
    ASSERT_EQ(pSources->getItemCount(), 2);
    EXPECT_EQ(pSources->getItemText(1, 1), "2");
    EXPECT_TRUE(pConvert->isEnabled());

    // A 4-channel row shows 4 ticked boxes; unticking 2 leaves 1, 3, 4.
    CChannelGrid* pGrid = pPanel->getChannelGrid();
    EXPECT_EQ(pGrid->GetCellCount(), 0); // no row selected
    const int a = pSources->getItemText(0, 2) == "a.wav" ? 0 : 1;
    SelectRows(pSourceTable, {a});
    EXPECT_EQ(Checks(pGrid), QBitArray(4, true));
    EXPECT_EQ(Checks(pGrid, true), QBitArray(4, true));
    Check(pGrid, 2)->click();
    EXPECT_EQ(pSources->getSelectChannelData(a), Bits(4, {1, 3, 4}));

    {
        CAlertAnswer alert("OK");
        pPanel->OnButtonConvert(); // empty output folder
        EXPECT_EQ(alert.m_strText, "Invalid output folder path.");
    }
    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    pPanel->OnButtonConvert();
    EXPECT_FALSE(m_main->getProgressWindow()->isVisible());
    EXPECT_TRUE(fs::exists(m_dir / "out/a/a_1.wav"));
    EXPECT_FALSE(fs::exists(m_dir / "out/a/a_2.wav"));
    EXPECT_TRUE(fs::exists(m_dir / "out/b/b_4.wav"));
    const QString last = QFileInfo(pSources->getItemText(1, 2)).completeBaseName();
    EXPECT_EQ(m_main->getProgressWindow()->getOptionalText(), last + "    Finish !");

    // A second run asks before overwriting; Cancel leaves the files alone.
    const auto written = fs::last_write_time(m_dir / "out/a/a_1.wav");
    {
        CAlertAnswer alert("Cancel");
        pPanel->OnButtonConvert();
        EXPECT_TRUE(alert.m_strText.startsWith("Over write this file ?"));
    }
    EXPECT_EQ(fs::last_write_time(m_dir / "out/a/a_1.wav"), written);

    // Removing the first row renumbers the second, which the table selects,
    // and disables the boxes until a row is chosen; Clear leaves none.
    SelectRows(pSourceTable, {0});
    const QString second = pSources->getItemText(1, 2);
    pPanel->OnButtonSourceRemove();
    EXPECT_EQ(pSources->getItemText(0, 1), "1");
    EXPECT_EQ(pSources->getItemText(0, 2), second);
    EXPECT_EQ(Checks(pGrid, true) | Checks(pGrid), QBitArray(4));
    EXPECT_FALSE(Child<QPushButton>(pPanel, "ChannelAll")->isEnabled());
    EXPECT_TRUE(pConvert->isEnabled());
    pPanel->OnButtonSourceClear();
    EXPECT_EQ(pGrid->GetCellCount(), 0);
    EXPECT_FALSE(pConvert->isEnabled());
}

// An alert that no test answers fails the test instead of hanging it.
TEST_F(CPanelTest, NoAlertWaitsForEver) {
    EXPECT_NONFATAL_FAILURE(CAlert::Show(nullptr, "Nobody answers", QString()), "Nobody answers");
}

TEST_F(CPanelTest, CancelStopsARunAndTheNextRunStillStarts) {
    WriteWave(m_dir / "in/long.wav", 8, 32 << 20); // 512 MiB of sparse samples
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    pPanel->OnButtonSourceAll();
    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    CProgressWindow* pProgress = m_main->getProgressWindow();
    QTimer::singleShot(20, pProgress, [pProgress]() {
        EXPECT_TRUE(pProgress->isRunning());
        pProgress->OnButtonCancel();
    });
    pPanel->OnButtonConvert();
    EXPECT_FALSE(pProgress->isRunning());
    EXPECT_FALSE(fs::exists(m_dir / "out/long/long_1.wav")); // the channel being written

    // The window is armed again: a run of another tab goes through, a take of
    // 24 channels less channel 5, with an indicator per channel.
    std::vector<int> channels;
    for (int n = 1; n <= 24; ++n) {
        if (n != 5) {
            WriteWave(m_dir / "in" / ("t_" + std::to_string(n) + (n == 3 ? ".WAV" : ".wav")), 1,
                      1000);
            channels.push_back(n);
        }
    }
    CMonoToPolyPanel* pMono = m_main->getMonoToPolyPanel();
    pMono->targetFileListEnumItem(Dir("in"));
    ASSERT_EQ(pMono->getTargetFileList()->getItemCount(), 1);
    EXPECT_EQ(pMono->getTargetFileList()->getItemText(0, 1), "t");
    EXPECT_EQ(pMono->getChannelGrid()->GetCellCount(), 0);
    SelectRows(pMono->findChild<QTableView*>(), {0});
    EXPECT_EQ(pMono->getChannelGrid()->GetCellCount(), 24);
    EXPECT_EQ(pMono->getTargetFileChannelData(), channels); // upper case too
    EXPECT_TRUE(pMono->isChannelShown(24) && pMono->isChannelShown(3) && !pMono->isChannelShown(5));
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("out"));
    pMono->OnButtonConvert();
    EXPECT_EQ(Le(Body(Read("out/t.wav"), "fmt"), 0) >> 16, 24u); // channels
    EXPECT_EQ(pProgress->getOptionalText(), "t    Finish !");
}

// A FIFO named like a mono is no channel of its take.
TEST_F(CPanelTest, MonoToPolyChecksAndJobMessages) {
    CMonoToPolyPanel* pMono = m_main->getMonoToPolyPanel();
    auto* pConvert = Child<QPushButton>(pMono, "Convert");
    for (const char* name : {"T001_1.wav", "T001_2.wav", "T001_4.wav", "T002_1.WAV", "T001_9.wav",
                             "T001_1025.wav", "T001_01.wav", "T001.wav", "T003_1.aif"}) {
        WriteWave(m_dir / "in" / name, 1, 10);
    }
    ASSERT_EQ(mkfifo((m_dir / "in/T001_3.wav").c_str(), 0600), 0);
    pMono->targetFileListEnumItem(Dir("in"));
    CTargetFileList* pTakes = pMono->getTargetFileList();
    ASSERT_EQ(pTakes->getItemCount(), 2);
    EXPECT_FALSE(pConvert->isEnabled());
    {
        CAlertAnswer alert("OK");
        pMono->OnButtonConvert();
        EXPECT_EQ(alert.m_strText, "Please select target file first.");
    }
    auto* pTakeTable = pMono->findChild<QTableView*>();
    const int t001 = pTakes->getItemText(0, 1) == "T001" ? 0 : 1;
    SelectRows(pTakeTable, {t001});
    EXPECT_EQ(pMono->getTargetFileChannelData(), std::vector<int>({1, 2, 4, 9}));
    EXPECT_TRUE(pConvert->isEnabled());
    {
        CAlertAnswer alert("OK");
        pMono->OnButtonConvert(); // no output folder
        EXPECT_EQ(alert.m_strText, "Invalid output folder path.");
    }
    // A mono file gone since the take was selected: the job's message shows.
    fs::remove(m_dir / "in/T001_2.wav");
    fs::remove(m_dir / "in/T001_3.wav");
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("out"));
    CAlertAnswer alert("OK");
    pMono->OnButtonConvert();
    EXPECT_TRUE(alert.m_strText.contains("T001_2.wav")) << alert.m_strText.toStdString();
    EXPECT_FALSE(fs::exists(m_dir / "out/T001.wav"));
}

TEST_F(CPanelTest, TheSelectedFolderGoesToTheVisibleTab) {
    WriteWave(m_dir / "in/x_1.wav", 1, 10);
    QTabWidget* pTabs = m_main->getTabWidget();
    pTabs->setCurrentIndex(1); // before any folder: an empty list
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 0);
    pTabs->setCurrentIndex(0);
    QTreeView* pTree = m_main->getTreeView();
    const QModelIndex top = pTree->model()->index(0, 0);
    if (pTree->model()->canFetchMore(top)) {
        pTree->model()->fetchMore(top);
    }
    QModelIndex in;
    for (int row = 0; row < pTree->model()->rowCount(top); ++row) {
        if (pTree->model()->index(row, 0, top).data().toString() == "in") {
            in = pTree->model()->index(row, 0, top);
        }
    }
    ASSERT_TRUE(in.isValid());
    pTree->setCurrentIndex(in);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in"));
    EXPECT_EQ(m_main->getPolyToMonoPanel()->getBwfFileList()->getItemCount(), 1);
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 0);
    pTabs->setCurrentIndex(1); // the other tab catches up
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 1);
}

// A 24- and a 64-channel source: a box per channel, a choice kept per row,
// a grid that scrolls rather than grows the window, and the run's files
// equal to those of the job run directly.
TEST_F(CPanelTest, EveryChannelHasABoxAndTheRunWritesTheChosenOnes) {
    Write("in/w24.wav", Wave(FmtBody(1, 24, 16, 48000), {}, Pattern(24 * 2 * 50, 24)));
    Write("in/w64.wav", Wave(FmtBody(1, 64, 16, 48000), {}, Pattern(64 * 2 * 50, 64)));
    m_main->show();
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    pPanel->OnButtonSourceAll();
    CSourceFileList* pSources = pPanel->getSourceFileList();
    ASSERT_EQ(pSources->getItemCount(), 2);
    const int r24 = pSources->getItemText(0, 2) == "w24.wav" ? 0 : 1;
    QTableView* pSourceTable = pPanel->findChildren<QTableView*>()[1];
    CChannelGrid* pGrid = pPanel->getChannelGrid();
    auto* pAll = Child<QPushButton>(pPanel, "ChannelAll");
    auto* pNone = Child<QPushButton>(pPanel, "ChannelNone");
    EXPECT_FALSE(pAll->isEnabled() || pNone->isEnabled());

    SelectRows(pSourceTable, {r24});
    EXPECT_TRUE(pAll->isEnabled() && pNone->isEnabled());
    EXPECT_EQ(Checks(pGrid), QBitArray(24, true));
    EXPECT_EQ(Checks(pGrid, true), QBitArray(24, true));
    pNone->click();
    EXPECT_EQ(Checks(pGrid), QBitArray(24));
    EXPECT_EQ(pSources->getSelectChannelData(r24), QBitArray(24));
    pAll->click();
    EXPECT_EQ(Checks(pGrid), QBitArray(24, true));
    EXPECT_EQ(pSources->getSelectChannelData(r24), QBitArray(24, true));
    pNone->click();
    for (int n : {2, 9, 17, 24}) {
        Check(pGrid, n)->click();
    }

    const QSize windowSize = m_main->size();
    SelectRows(pSourceTable, {1 - r24});
    QApplication::processEvents();
    ASSERT_EQ(pGrid->GetCellCount(), 64);
    EXPECT_EQ(Checks(pGrid), QBitArray(64, true));
    Check(pGrid, 64)->click(); // scrolled out of sight, still there
    EXPECT_EQ(m_main->size(), windowSize);
    EXPECT_LE(pGrid->height(), pGrid->sizeHint().height());
    EXPECT_GT(pGrid->verticalScrollBar()->maximum(), 0);
    EXPECT_LE(pGrid->widget()->width(), pGrid->viewport()->width()); // never sideways
    EXPECT_LE(pGrid->GetCell(64)->geometry().bottom(), pGrid->widget()->height());

    SelectRows(pSourceTable, {r24});
    EXPECT_EQ(Checks(pGrid), Bits(24, {2, 9, 17, 24}));
    // A folder scan disables the boxes and keeps the stored choice.
    pPanel->bwfFileListEnumItem(Dir("in"));
    EXPECT_EQ(pGrid->GetCellCount(), 24);
    EXPECT_EQ(Checks(pGrid, true) | Checks(pGrid), QBitArray(24));
    EXPECT_FALSE(pAll->isEnabled());
    EXPECT_EQ(pSources->getSelectChannelData(r24), Bits(24, {2, 9, 17, 24}));

    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    pPanel->OnButtonConvert();
    CPolyToMonoJob job;
    fs::create_directories(PathOf("ref"));
    job.m_strDestFolder = PathOf("ref");
    job.m_arraySource = {{"w24.wav", PathOf("in/w24.wav"), {2, 9, 17, 24}},
                         {"w64.wav", PathOf("in/w64.wav"), {}}};
    for (int n = 1; n < 64; ++n) {
        job.m_arraySource[1].arrayChannel.push_back(n);
    }
    CQuietHost host;
    const std::atomic<bool> isCancel{false};
    job.Run(host, isCancel);
    for (const auto& [take, count] : {std::pair<std::string, std::size_t>{"w24", 4}, {"w64", 63}}) {
        EXPECT_EQ(FileCount("ref/" + take), count);
        EXPECT_EQ(FileCount("out/" + take), count);
        for (const auto& entry : fs::directory_iterator(PathOf("ref/" + take))) {
            const std::string name = take + "/" + entry.path().filename().string();
            EXPECT_TRUE(SameBytes(Read("out/" + name), Read("ref/" + name))) << name;
        }
    }
}

} // namespace
