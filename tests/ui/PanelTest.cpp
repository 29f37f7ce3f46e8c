// The two tabs as a user drives them: folder choices in the tree, the
// source list and its channel check boxes, the Convert checks and their
// alerts, and whole conversions through the job runner and its window.

#include "CAlert.h"
#include "CBwfFileList.h"
#include "CDirectoryTree.h"
#include "CMonoToPolyPanel.h"
#include "CPanelFixture.h"
#include "CPolyToMonoJob.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"
#include "CSourceFileList.h"
#include "CTargetFileList.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

// However a source row comes to be selected (click, keys, Add All, a new
// listing, Remove), the boxes show its channels, named as its iXML names
// them, and keep a choice per row; a grid of 64 scrolls rather than grows
// the window; the run writes the ticked channels and asks before
// overwriting.
TEST_F(CPanelTest, PolyToMonoListsEditsAndConverts) {
    const std::string xml = "<BWFXML><TRACK_LIST><TRACK_COUNT>2</TRACK_COUNT>"
                            "<TRACK><INTERLEAVE_INDEX>1</INTERLEAVE_INDEX><NAME>MKH516 A</NAME>"
                            "<FUNCTION>boom</FUNCTION></TRACK>"
                            "<TRACK><INTERLEAVE_INDEX>2</INTERLEAVE_INDEX><NAME>Lav Anna</NAME>"
                            "</TRACK></TRACK_LIST></BWFXML>";
    WriteWave(m_dir / "in/a.wav", 24, 10, Chunk("iXML", Text(xml)));
    WriteWave(m_dir / "in/b.WAV", 64, 10);
    m_main->show();
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    QTableView* pSourceTable = pPanel->getSourceFileTable();
    pPanel->getBwfFileTable()->sortByColumn(0, Qt::AscendingOrder);
    CSourceFileList* pSources = pPanel->getSourceFileList();
    CChannelGrid* pGrid = pPanel->getChannelGrid();
    auto* pAll = Child<QPushButton>(pPanel, "ChannelAll");
    auto* pNone = Child<QPushButton>(pPanel, "ChannelNone");
    {
        CDialogAnswer alert("OK");
        pPanel->OnButtonSourceAdd(); // nothing selected
        EXPECT_EQ(alert.m_strText, "Please select wave file first.");
    }
    EXPECT_FALSE(pAll->isEnabled() || pNone->isEnabled());
    SelectRows(pPanel->getBwfFileTable(), {0});
    pPanel->OnButtonSourceAdd();
    ClickRow(pSourceTable, pSources->index(0, 0));
    ASSERT_EQ(pGrid->GetCellCount(), 24);
    for (int n = 1; n <= 24; ++n) {
        EXPECT_TRUE(Check(pGrid, n)->isEnabled()) << n;
    }
    EXPECT_TRUE(pAll->isEnabled() && pNone->isEnabled());
    EXPECT_EQ(Checks(pGrid), QBitArray(24, true));
    EXPECT_EQ(Check(pGrid, 1)->text(), "1 MKH516 A");
    EXPECT_TRUE(Check(pGrid, 1)->toolTip().contains("boom"));
    EXPECT_EQ(Check(pGrid, 2)->text(), "2 Lav Anna");
    pNone->click();
    EXPECT_EQ(pSources->getSelectChannelData(0), QBitArray(24));
    pAll->click();
    EXPECT_EQ(pSources->getSelectChannelData(0), QBitArray(24, true));
    pNone->click();
    QBitArray chosen(24);
    for (int n : {2, 9, 17, 24}) {
        Check(pGrid, n)->click();
        chosen.setBit(n - 1);
    }
    EXPECT_EQ(pSources->getSelectChannelData(0), chosen);

    pPanel->OnButtonSourceAll(); // a.wav is listed already
    ASSERT_EQ(pSources->getItemCount(), 2);
    EXPECT_EQ(pSources->getItemText(1, 1), "2");
    EXPECT_EQ(Checks(pGrid), chosen);
    pPanel->bwfFileListEnumItem(Dir("in"));
    ClickRow(pSourceTable, pSources->index(0, 0)); // the current row clicked again
    EXPECT_EQ(Checks(pGrid), chosen);

    const QSize windowSize = m_main->size();
    QTest::keyClick(pSourceTable, Qt::Key_Down);
    QApplication::processEvents();
    ASSERT_EQ(pGrid->GetCellCount(), 64);
    EXPECT_EQ(Checks(pGrid), QBitArray(64, true));
    Check(pGrid, 64)->click(); // scrolled out of sight, still there
    EXPECT_EQ(m_main->size(), windowSize);
    EXPECT_LE(pGrid->height(), pGrid->sizeHint().height());
    EXPECT_GT(pGrid->verticalScrollBar()->maximum(), 0);
    EXPECT_LE(pGrid->widget()->width(), pGrid->viewport()->width()); // never sideways
    EXPECT_LE(pGrid->GetCell(64)->geometry().bottom(), pGrid->widget()->height());
    QTest::keyClick(pSourceTable, Qt::Key_Up);
    EXPECT_EQ(Checks(pGrid), chosen);

    {
        CDialogAnswer alert("OK");
        pPanel->OnButtonConvert(); // empty output folder
        EXPECT_EQ(alert.m_strText, "Invalid output folder path.");
    }
    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    EXPECT_TRUE(Convert(pPanel).startsWith("Done\nFiles written: 67 ("));
    EXPECT_FALSE(m_main->getProgressWindow()->isVisible());
    EXPECT_EQ(FileCount("out/a"), 4u);
    EXPECT_TRUE(fs::exists(m_dir / "out/a/a_17.wav"));
    EXPECT_EQ(FileCount("out/b"), 63u);
    EXPECT_FALSE(fs::exists(m_dir / "out/b/b_64.wav"));
    // The window's files are those of the job run directly, as the CLI runs it.
    struct : CJobHost {
        void SetProgressText(const std::string&, const std::string&) override {}
        bool AskOverwrite(const std::string&, const std::string&) override { return true; }
        void ShowError(const std::string& message) override { ADD_FAILURE() << message; }
    } host;
    CPolyToMonoJob job;
    fs::create_directories(m_dir / "ref");
    job.m_strDestFolder = PathOf("ref");
    job.m_arraySource = {{"a.wav", PathOf("in/a.wav"), {2, 9, 17, 24}},
                         {"b.WAV", PathOf("in/b.WAV"), {}}};
    for (int n = 1; n < 64; ++n) {
        job.m_arraySource[1].arrayChannel.push_back(n);
    }
    const std::atomic<bool> isCancel{false};
    job.Run(host, isCancel);
    for (const char* take : {"a", "b"}) {
        EXPECT_EQ(FileCount(std::string("ref/") + take), FileCount(std::string("out/") + take));
        for (const auto& entry : fs::directory_iterator(m_dir / "ref" / take)) {
            const std::string name = take + ("/" + entry.path().filename().string());
            EXPECT_TRUE(SameBytes(Read("out/" + name), Read("ref/" + name))) << name;
        }
    }

    // Cancel on the overwrite question leaves the files alone and, nothing
    // being written, closes the window at once.
    const auto written = fs::last_write_time(m_dir / "out/a/a_2.wav");
    {
        CDialogAnswer alert("Cancel");
        pPanel->OnButtonConvert();
        EXPECT_EQ(alert.m_strText, "Over write this file ?");
    }
    EXPECT_EQ(fs::last_write_time(m_dir / "out/a/a_2.wav"), written);

    // Without its last row the list selects the row above, a.wav's choice shown.
    QTest::keyClick(pSourceTable, Qt::Key_Down);
    pPanel->OnButtonSourceRemove();
    ASSERT_EQ(pSources->getItemCount(), 1);
    EXPECT_EQ(Checks(pGrid), chosen);
    EXPECT_TRUE(pAll->isEnabled());
    pPanel->OnButtonSourceClear();
    EXPECT_EQ(pGrid->GetCellCount(), 0);
    EXPECT_FALSE(Child<QPushButton>(pPanel, "Convert")->isEnabled());
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
    const QString summary = Convert(pPanel);
    EXPECT_FALSE(pProgress->isRunning());
    EXPECT_TRUE(summary.startsWith("Cancelled\nFiles written: none\n")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Removed: the unfinished files of take long."));
    EXPECT_FALSE(fs::exists(m_dir / "out/long/long_1.wav")); // the channel being written

    WriteWave(m_dir / "in/long.wav", 8, 10);
    EXPECT_TRUE(Convert(pPanel).startsWith("Done\nFiles written: 8 ("));
}

// The takes and channels of the listed folder, a mono named in its bext in
// the indicator's tip, the job's message for a mono gone since the take was
// chosen, and a merge into the folder of its monos listed again with the
// take still selected.
TEST_F(CPanelTest, MonoToPolyChecksAndJobMessages) {
    WriteWave(m_dir / "in/T_1.wav", 1, 10,
              Chunk("bext", Field("sTRK1=Plant\r\n", 256) + Bytes(602)));
    for (const char* name : {"T_2.wav", "T_4.WAV", "A_1_1.wav", "A_1_2.wav"}) {
        WriteWave(m_dir / "in" / name, 1, 10);
    }
    CMonoToPolyPanel* pMono = m_main->getMonoToPolyPanel();
    auto* pConvert = Child<QPushButton>(pMono, "Convert");
    pMono->targetFileListEnumItem(Dir("in"));
    CTargetFileList* pTakes = pMono->getTargetFileList();
    ASSERT_EQ(pTakes->getItemCount(), 2);
    EXPECT_EQ(pMono->getChannelGrid()->GetCellCount(), 0);
    EXPECT_FALSE(pConvert->isEnabled());
    {
        CDialogAnswer alert("OK");
        pMono->OnButtonConvert();
        EXPECT_EQ(alert.m_strText, "Please select target file first.");
    }
    QTableView* pTakeTable = pMono->getTargetFileTable();
    SelectRows(pTakeTable, {pTakes->findItem("T")});
    EXPECT_EQ(pMono->getTargetFileChannelData(), std::vector<int>({1, 2, 4}));
    EXPECT_EQ(pMono->getChannelGrid()->GetCellCount(), 4);
    EXPECT_TRUE(pMono->isChannelShown(4) && !pMono->isChannelShown(3));
    const QString tip = pMono->getChannelGrid()->GetCell(1)->toolTip();
    EXPECT_TRUE(tip.contains("T_1.wav") && tip.contains("Plant")) << tip.toStdString();
    EXPECT_TRUE(pConvert->isEnabled());

    fs::remove(m_dir / "in/T_2.wav");
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("out"));
    EXPECT_TRUE(Convert(pMono).startsWith("Finished with problems\nFiles written: none\n"));
    const QStringList errors = m_main->getProgressWindow()->getErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("T_2.wav")) << errors[0].toStdString();
    EXPECT_EQ(FileCount("out"), 0u);

    // A_1.wav reads as channel 1 of a take A.
    SelectRows(pTakeTable, {pTakes->findItem("A_1")});
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("in"));
    EXPECT_TRUE(Convert(pMono).startsWith("Done\nFiles written: 1 ("));
    EXPECT_EQ(Le(Body(Read("in/A_1.wav"), "fmt"), 0) >> 16, 2u); // channels
    ASSERT_EQ(pTakes->getItemCount(), 3);
    EXPECT_NE(pTakes->findItem("A"), -1);
    EXPECT_EQ(pTakes->getSelectedItemPosition(pTakeTable->selectionModel()),
              pTakes->findItem("A_1"));
    EXPECT_EQ(pMono->getTargetFileChannelData(), std::vector<int>({1, 2}));
}

// Only a choice of the user lists a folder: a click, also on the folder
// listed already (which lists it anew), or a key; closing a folder above the
// listed one changes nothing.
TEST_F(CPanelTest, TheChosenFolderGoesToTheVisibleTab) {
    fs::create_directories(m_dir / "in/sub");
    WriteWave(m_dir / "in/x_1.wav", 1, 10);
    WriteWave(m_dir / "in/sub/y.wav", 2, 10);
    m_main->show();
    QTabWidget* pTabs = m_main->getTabWidget();
    CFolderView* pTree = m_main->getTreeView();
    CBwfFileList* pFiles = m_main->getPolyToMonoPanel()->getBwfFileList();
    CTargetFileList* pTakes = m_main->getMonoToPolyPanel()->getTargetFileList();
    pTabs->setCurrentIndex(1); // before any folder: an empty list
    EXPECT_EQ(pTakes->getItemCount(), 0);
    pTabs->setCurrentIndex(0);
    const QModelIndex in = m_main->getDirectoryTree()->OpenPath(Dir("in")); // lists nothing
    ASSERT_TRUE(in.isValid());
    EXPECT_EQ(m_main->getDirectoryPath(), QString());
    ClickRow(pTree, in);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in"));
    EXPECT_EQ(pFiles->getItemCount(), 1);
    EXPECT_EQ(pTakes->getItemCount(), 0);
    pTabs->setCurrentIndex(1); // the other tab catches up
    EXPECT_EQ(pTakes->getItemCount(), 1);
    pTabs->setCurrentIndex(0);

    WriteWave(m_dir / "in/x_2.wav", 1, 10);
    ClickRow(pTree, in);
    EXPECT_EQ(pFiles->getItemCount(), 2);

    ASSERT_TRUE(m_main->getDirectoryTree()->OpenPath(Dir("in/sub")).isValid());
    QTest::keyClick(pTree, Qt::Key_Down);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in/sub"));
    EXPECT_EQ(pFiles->getItemCount(), 1);
    pTree->collapse(in);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in/sub"));
    EXPECT_EQ(pFiles->getItemCount(), 1);
    EXPECT_FALSE(pTree->selectionModel()->hasSelection()); // no other folder looks chosen
    ClickRow(pTree, in);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in"));
}

} // namespace
