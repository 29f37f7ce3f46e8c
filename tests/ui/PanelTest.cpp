// The two tabs as a user drives them: folder choices in the tree, the
// source list and its channel check boxes, the Convert checks and their
// alerts, and whole conversions through the job runner and its window.

#include "CAlert.h"
#include "CBwfFileList.h"
#include "CChannelGrid.h"
#include "CDialogAnswer.h"
#include "CFolderView.h"
#include "CMain.h"
#include "CMonoToPolyPanel.h"
#include "CPanelFixture.h"
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
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

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
        CDialogAnswer alert("OK");
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
        CDialogAnswer alert("OK");
        pPanel->OnButtonConvert(); // empty output folder
        EXPECT_EQ(alert.m_strText, "Invalid output folder path.");
    }
    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    EXPECT_TRUE(Convert(pPanel).startsWith("Done\nFiles written: 7 ("));
    EXPECT_FALSE(m_main->getProgressWindow()->isVisible());
    EXPECT_TRUE(fs::exists(m_dir / "out/a/a_1.wav"));
    EXPECT_FALSE(fs::exists(m_dir / "out/a/a_2.wav"));
    EXPECT_TRUE(fs::exists(m_dir / "out/b/b_4.wav"));

    // A second run asks before overwriting; Cancel leaves the files alone
    // and, nothing being written, closes the window at once.
    const auto written = fs::last_write_time(m_dir / "out/a/a_1.wav");
    {
        CDialogAnswer alert("Cancel");
        pPanel->OnButtonConvert();
        EXPECT_EQ(alert.m_strText, "Over write this file ?");
    }
    EXPECT_EQ(fs::last_write_time(m_dir / "out/a/a_1.wav"), written);

    pPanel->OnButtonSourceClear();
    EXPECT_EQ(pGrid->GetCellCount(), 0);
    EXPECT_FALSE(pConvert->isEnabled());
}

// However a source row comes to be selected, the boxes show its channels as
// they will be converted, and adding rows changes nothing in them.
TEST_F(CPanelTest, TheBoxesAlwaysShowTheSelectedSourceRow) {
    WriteWave(m_dir / "in/a.wav", 4, 10);
    WriteWave(m_dir / "in/b.wav", 6, 10);
    m_main->show();
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    QTableView* pBwfTable = pPanel->findChildren<QTableView*>()[0];
    QTableView* pSourceTable = pPanel->findChildren<QTableView*>()[1];
    CSourceFileList* pSources = pPanel->getSourceFileList();
    CChannelGrid* pGrid = pPanel->getChannelGrid();
    const int a = pPanel->getBwfFileList()->getItemText(0, 1) == "a.wav" ? 0 : 1;
    SelectRows(pBwfTable, {a});
    pPanel->OnButtonSourceAdd();
    ClickRow(pSourceTable, pSources->index(0, 0));
    ASSERT_EQ(pGrid->GetCellCount(), 4);
    Check(pGrid, 2)->click();

    // Add All puts b.wav in the list; the boxes stay those of a.wav.
    pPanel->OnButtonSourceAll();
    ASSERT_EQ(pSources->getItemCount(), 2);
    EXPECT_EQ(Checks(pGrid), Bits(4, {1, 3, 4}));
    EXPECT_EQ(Checks(pGrid, true), QBitArray(4, true));

    // The folder listed again, the row still current is clicked again.
    pPanel->bwfFileListEnumItem(Dir("in"));
    ClickRow(pSourceTable, pSources->index(0, 0));
    EXPECT_EQ(Checks(pGrid), Bits(4, {1, 3, 4}));
    EXPECT_EQ(Checks(pGrid, true), QBitArray(4, true));

    // Untick in b.wav, reached by the keyboard; Remove a.wav: b.wav, the
    // only row left, is selected and shows its own choice.
    QTest::keyClick(pSourceTable, Qt::Key_Down);
    ASSERT_EQ(pGrid->GetCellCount(), 6);
    Check(pGrid, 6)->click();
    QTest::keyClick(pSourceTable, Qt::Key_Up);
    pPanel->OnButtonSourceRemove();
    ASSERT_EQ(pSources->getItemCount(), 1);
    EXPECT_EQ(Checks(pGrid), Bits(6, {1, 2, 3, 4, 5}));
    EXPECT_EQ(Checks(pGrid, true), QBitArray(6, true));
    EXPECT_TRUE(Child<QPushButton>(pPanel, "ChannelAll")->isEnabled());

    // What the boxes show is what the run writes.
    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    Convert(pPanel);
    EXPECT_EQ(FileCount("out/b"), 5u);
    EXPECT_FALSE(fs::exists(m_dir / "out/b/b_6.wav"));
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
    EXPECT_TRUE(Convert(pMono).startsWith("Done\nFiles written: 1 ("));
    EXPECT_EQ(Le(Body(Read("out/t.wav"), "fmt"), 0) >> 16, 24u); // channels
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
        CDialogAnswer alert("OK");
        pMono->OnButtonConvert();
        EXPECT_EQ(alert.m_strText, "Please select target file first.");
    }
    auto* pTakeTable = pMono->findChild<QTableView*>();
    const int t001 = pTakes->getItemText(0, 1) == "T001" ? 0 : 1;
    SelectRows(pTakeTable, {t001});
    EXPECT_EQ(pMono->getTargetFileChannelData(), std::vector<int>({1, 2, 4, 9}));
    EXPECT_TRUE(pConvert->isEnabled());
    {
        CDialogAnswer alert("OK");
        pMono->OnButtonConvert(); // no output folder
        EXPECT_EQ(alert.m_strText, "Invalid output folder path.");
    }
    // A mono file gone since the take was selected: the job's message is
    // listed at the end of the run.
    fs::remove(m_dir / "in/T001_2.wav");
    fs::remove(m_dir / "in/T001_3.wav");
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("out"));
    EXPECT_TRUE(Convert(pMono).startsWith("Finished with problems\nFiles written: none\n"));
    const QStringList errors = m_main->getProgressWindow()->getErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("T001_2.wav")) << errors[0].toStdString();
    EXPECT_FALSE(fs::exists(m_dir / "out/T001.wav"));
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
    pTabs->setCurrentIndex(1); // before any folder: an empty list
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 0);
    pTabs->setCurrentIndex(0);
    CFolderView* pTree = m_main->getTreeView();
    CBwfFileList* pFiles = m_main->getPolyToMonoPanel()->getBwfFileList();
    const QModelIndex in = Folder(pTree->model()->index(0, 0), "in");
    ASSERT_TRUE(in.isValid());
    pTree->expand(in.parent());
    ClickRow(pTree, in);
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in"));
    EXPECT_EQ(pFiles->getItemCount(), 1);
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 0);
    pTabs->setCurrentIndex(1); // the other tab catches up
    EXPECT_EQ(m_main->getMonoToPolyPanel()->getTargetFileList()->getItemCount(), 1);
    pTabs->setCurrentIndex(0);

    WriteWave(m_dir / "in/x_2.wav", 1, 10);
    ClickRow(pTree, in);
    EXPECT_EQ(pFiles->getItemCount(), 2);

    pTree->expand(in);
    ASSERT_TRUE(Folder(in, "sub").isValid());
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

// After a merge into the folder of its monos, the list shows what the run
// made there and the take stays selected.
TEST_F(CPanelTest, ARunListsTheFolderAgain) {
    for (const char* name : {"A101_1_1.WAV", "A101_1_2.WAV"}) {
        WriteWave(m_dir / "in" / name, 1, 10);
    }
    CMonoToPolyPanel* pMono = m_main->getMonoToPolyPanel();
    pMono->targetFileListEnumItem(Dir("in"));
    CTargetFileList* pTakes = pMono->getTargetFileList();
    ASSERT_EQ(pTakes->getItemCount(), 1);
    SelectRows(pMono->findChild<QTableView*>(), {0});
    Child<QLineEdit>(pMono, "DestFolder")->setText(Dir("in"));
    Convert(pMono);
    // A101_1.wav reads as channel 1 of a take A101.
    ASSERT_EQ(pTakes->getItemCount(), 2);
    EXPECT_NE(pTakes->findItem("A101"), -1);
    EXPECT_EQ(pTakes->getSelectedItemPosition(pMono->findChild<QTableView*>()->selectionModel()),
              pTakes->findItem("A101_1"));
    EXPECT_EQ(pMono->getTargetFileChannelData(), std::vector<int>({1, 2}));
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

    Child<QLineEdit>(pPanel, "DestFolder")->setText(Dir("out"));
    Convert(pPanel);
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

// The boxes and indicators name the tracks the files give: the iXML track
// list, or the bext line of a mono without one.
TEST_F(CPanelTest, ChannelsCarryTheirTrackNames) {
    const std::string xml = "<BWFXML><TRACK_LIST><TRACK_COUNT>2</TRACK_COUNT>"
                            "<TRACK><INTERLEAVE_INDEX>1</INTERLEAVE_INDEX><NAME>MKH516 A</NAME>"
                            "<FUNCTION>boom</FUNCTION></TRACK>"
                            "<TRACK><INTERLEAVE_INDEX>2</INTERLEAVE_INDEX><NAME>Lav Anna</NAME>"
                            "</TRACK></TRACK_LIST></BWFXML>";
    Write("in/t.wav", Wave(FmtBody(1, 2, 16, 48000), Chunk("iXML", Text(xml)), Pattern(400, 1)));
    CPolyToMonoPanel* pPanel = m_main->getPolyToMonoPanel();
    pPanel->bwfFileListEnumItem(Dir("in"));
    pPanel->OnButtonSourceAll();
    SelectRows(pPanel->findChildren<QTableView*>()[1], {0});
    CChannelGrid* pGrid = pPanel->getChannelGrid();
    ASSERT_EQ(pGrid->GetCellCount(), 2);
    EXPECT_EQ(Check(pGrid, 1)->text(), "1 MKH516 A");
    EXPECT_TRUE(Check(pGrid, 1)->toolTip().contains("boom"));
    EXPECT_EQ(Check(pGrid, 2)->text(), "2 Lav Anna");

    Write("m/M_1.wav",
          Wave(FmtBody(1, 1, 16, 48000), Chunk("bext", Field("sTRK1=Plant\r\n", 256) + Bytes(602)),
               Pattern(200, 2)));
    CMonoToPolyPanel* pMono = m_main->getMonoToPolyPanel();
    pMono->targetFileListEnumItem(Dir("m"));
    SelectRows(pMono->findChild<QTableView*>(), {0});
    ASSERT_EQ(pMono->getChannelGrid()->GetCellCount(), 1);
    const QString tip = pMono->getChannelGrid()->GetCell(1)->toolTip();
    EXPECT_TRUE(tip.contains("M_1.wav") && tip.contains("Plant")) << tip.toStdString();
}
