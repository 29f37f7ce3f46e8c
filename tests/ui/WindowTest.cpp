// The window as a desk: settings that come back, drops, the keyboard alone,
// the menus' actions, the layout at 800x600, the watched folder, Refresh and
// Go to Folder.

#include "CBwfFileList.h"
#include "CDirectoryTree.h"
#include "CElidedLabel.h"
#include "CGoFolderDialog.h"
#include "CJobRunner.h"
#include "CMonoToPolyPanel.h"
#include "CPanelFixture.h"
#include "CPolyToMonoPanel.h"
#include "CSourceFileList.h"
#include "CTargetFileList.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class CWindowTest : public CPanelTest {
protected:
    void SetUp() override {
        CPanelTest::SetUp();
        m_pPoly = m_main->getPolyToMonoPanel();
        m_pMono = m_main->getMonoToPolyPanel();
    }
    QAction* Action(const char* name) const { return m_main->findChild<QAction*>(name); }
    void ShowActive() {
        m_main->show();
        QApplication::setActiveWindow(m_main.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_main.get()));
    }
    // Sends a drag over pTarget and, if it is taken, the drop; whether the
    // drag was taken.
    static bool Drop(QWidget* pTarget, const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        data.setUrls(urls);
        const QPoint at = pTarget->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &drop);
        return drop.isAccepted();
    }
    QStringList SourceNames() const {
        QStringList names;
        for (int row = 0; row < m_pPoly->getSourceFileList()->getItemCount(); ++row) {
            names << m_pPoly->getSourceFileList()->getItemText(row, 2);
        }
        return names;
    }

    CPolyToMonoPanel* m_pPoly = nullptr;
    CMonoToPolyPanel* m_pMono = nullptr;
};

TEST_F(CWindowTest, SettingsComeBackAndFoldersThatWentAreIgnored) {
    fs::create_directories(m_dir / "out2");
    ASSERT_TRUE(m_main->GoToFolder(Dir("in")));
    m_pPoly->setOutputFolder(Dir("out"));
    m_pMono->setOutputFolder(Dir("out2"));
    m_main->getTabWidget()->setCurrentIndex(1);
    m_main->show();
    m_main->resize(1000, 700);
    m_main->getSplitter()->setSizes({300, 700});
    QApplication::processEvents();
    m_main->close();

    for (const bool isGone : {false, true}) {
        if (isGone) {
            m_main->close(); // saves again
            fs::remove_all(m_dir / "in");
            fs::remove_all(m_dir / "out2");
        }
        m_main = std::make_unique<CMain>(QStringList{Dir("")}, QString());
        m_pPoly = m_main->getPolyToMonoPanel();
        m_pMono = m_main->getMonoToPolyPanel();
        m_main->show();
        QApplication::processEvents();
        EXPECT_EQ(m_pPoly->getOutputFolder(), Dir("out"));
        EXPECT_EQ(m_pMono->getOutputFolder(), isGone ? QString() : Dir("out2"));
        EXPECT_EQ(m_main->getDirectoryPath(), isGone ? QString() : Dir("in"));
        EXPECT_EQ(m_main->getTabWidget()->currentIndex(), 1);
        EXPECT_EQ(m_main->size(), QSize(1000, 700));
        EXPECT_EQ(m_main->getSplitter()->sizes().first(), 300);
    }
    EXPECT_FALSE(m_main->getTreeView()->selectionModel()->hasSelection());
}

// Files and folders dropped on Poly to Mono join the work list once each:
// wave files only (.wav or .WAV), never a FIFO, never a folder named like a
// wave file.
// A folder dropped on Mono to Poly is chosen in the tree and listed, and a
// dropped mono selects its take.
TEST_F(CWindowTest, DropsAddWaveFilesOrGoToTheFolder) {
    fs::create_directories(m_dir / "in/sub/folder.wav");
    WriteWave(m_dir / "in/a.wav", 4, 10);
    WriteWave(m_dir / "in/b.WAV", 2, 10);
    WriteWave(m_dir / "in/sub/c.wav", 6, 10);
    WriteWave(m_dir / "in/sub/d.wave", 1, 10);
    WriteWave(m_dir / "in/sub/e.Wav", 1, 10);
    std::ofstream(m_dir / "in/notes.txt") << "take notes";
    ASSERT_EQ(mkfifo((m_dir / "in/sub/fifo.wav").c_str(), 0600), 0);

    EXPECT_FALSE(Drop(m_pPoly, {Dir("in/notes.txt"), Dir("in/sub/e.Wav")}));
    EXPECT_TRUE(Drop(m_pPoly, {Dir("in/a.wav"), Dir("in/notes.txt"), Dir("in/sub")}));
    EXPECT_EQ(SourceNames(), QStringList({"a.wav", "c.wav"}));
    EXPECT_EQ(m_pPoly->getSourceFileList()->getEnableChannelData(1), QBitArray(6, true));
    EXPECT_TRUE(Drop(m_pPoly, {Dir("in"), Dir("in/a.wav")}));
    EXPECT_EQ(SourceNames(), QStringList({"a.wav", "c.wav", "b.WAV"}));
    EXPECT_TRUE(Action("ActionConvert")->isEnabled());

    m_main->getTabWidget()->setCurrentIndex(1);
    WriteWave(m_dir / "in/sub/T7_1.wav", 1, 10);
    WriteWave(m_dir / "in/sub/T7_3.wav", 1, 10);
    WriteWave(m_dir / "in/sub/T8_1.wav", 1, 10);
    EXPECT_TRUE(Drop(m_pMono, {Dir("in/sub")}));
    EXPECT_EQ(m_main->getDirectoryPath(), Dir("in/sub"));
    EXPECT_EQ(m_main->getDirectoryTree()->getPath(m_main->getTreeView()->currentIndex()),
              Dir("in/sub"));
    EXPECT_EQ(m_pMono->getTargetFileList()->getItemCount(), 2);
    EXPECT_TRUE(Drop(m_pMono, {Dir("in/sub/T8_1.wav")}));
    EXPECT_EQ(m_pMono->getTargetFileChannelData(), std::vector<int>({1}));
    EXPECT_TRUE(Drop(m_pMono, {Dir("in/sub/T7_3.wav")}));
    EXPECT_EQ(m_pMono->getTargetFileChannelData(), std::vector<int>({1, 3}));
}

// Each action acts on the visible tab, and only when it can.
TEST_F(CWindowTest, ActionsAreEnabledOnlyWhenTheyCanAct) {
    WriteWave(m_dir / "in/a.wav", 2, 10);
    WriteWave(m_dir / "in/T_1.wav", 1, 10);
    const char* names[] = {"ActionAdd",   "ActionAddAll",  "ActionRemove",
                           "ActionClear", "ActionConvert", "ActionRefresh"};
    const auto enabled = [&]() {
        QString flags;
        for (const char* name : names) {
            flags += Action(name)->isEnabled() ? '1' : '0';
        }
        return flags.toStdString();
    };
    EXPECT_EQ(enabled(), "000000");
    m_main->GoToFolder(Dir("in"));
    EXPECT_EQ(enabled(), "010001");
    SelectRows(m_pPoly->getBwfFileTable(), {0});
    EXPECT_EQ(enabled(), "110001");
    Action("ActionAdd")->trigger();
    EXPECT_EQ(enabled(), "110111");
    SelectRows(m_pPoly->getSourceFileTable(), {0});
    EXPECT_EQ(enabled(), "111111");
    m_main->getTabWidget()->setCurrentIndex(1);
    EXPECT_EQ(enabled(), "000001");
    SelectRows(m_pMono->getTargetFileTable(), {0});
    EXPECT_EQ(enabled(), "000011");
    m_main->getTabWidget()->setCurrentIndex(0);
    Action("ActionClear")->trigger();
    EXPECT_EQ(enabled(), "110001");
}

// Delete removes the selected source row; Enter in a list or a field never
// converts; Ctrl+Return does.
TEST_F(CWindowTest, TheKeyboardRemovesAndConvertsButNeverByAccident) {
    WriteWave(m_dir / "in/a.wav", 2, 10);
    WriteWave(m_dir / "in/b.wav", 2, 10);
    ShowActive();
    m_main->GoToFolder(Dir("in"));
    m_pPoly->OnButtonSourceAll();
    QTableView* pSources = m_pPoly->getSourceFileTable();
    pSources->setFocus();
    SelectRows(pSources, {0});
    const QString kept = m_pPoly->getSourceFileList()->getItemText(1, 2);
    QTest::keyClick(pSources, Qt::Key_Delete);
    EXPECT_EQ(SourceNames(), QStringList({kept}));

    auto* pDest = Child<QLineEdit>(m_pPoly, "DestFolder");
    pDest->setText(Dir("out"));
    QSignalSpy runs(m_main->getJobRunner(), &CJobRunner::Finished);
    for (QWidget* pWidget : std::initializer_list<QWidget*>{pSources, pDest}) {
        pWidget->setFocus();
        QTest::keyClick(pWidget, Qt::Key_Return);
        QTest::keyClick(pWidget, Qt::Key_Enter);
    }
    EXPECT_EQ(runs.count(), 0);
    EXPECT_EQ(pDest->text(), Dir("out"));
    {
        CDialogAnswer close("Close");
        QTest::keyClick(pSources, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(close.m_count, 1);
    }
    EXPECT_EQ(runs.count(), 1);
}

// Tab walks the controls as they are laid out, the channel boxes in their
// place as one group; the indicators and the take field of Mono to Poly are passed over;
// every control it reaches has an accessible name.
TEST_F(CWindowTest, TabFollowsTheLayoutAndEveryStopHasAName) {
    WriteWave(m_dir / "in/a.wav", 2, 10);
    WriteWave(m_dir / "in/T_1.wav", 1, 10);
    WriteWave(m_dir / "in/T_2.wav", 1, 10);
    ShowActive();
    m_main->GoToFolder(Dir("in"));
    m_pPoly->OnButtonSourceAll();
    SelectRows(m_pPoly->getBwfFileTable(), {0});
    SelectRows(m_pPoly->getSourceFileTable(),
               {m_pPoly->getSourceFileList()->findItem(Dir("in/a.wav"))});
    const auto walk = [this](QWidget* pFrom, int count) {
        QList<QWidget*> stops;
        pFrom->setFocus();
        for (int step = 0; step < count; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* pStop = QApplication::focusWidget();
            stops << pStop;
            QAccessibleInterface* pAccessible = QAccessible::queryAccessibleInterface(pStop);
            EXPECT_FALSE(pAccessible == nullptr || pAccessible->text(QAccessible::Name).isEmpty())
                << pStop->metaObject()->className() << " " << pStop->objectName().toStdString();
        }
        return stops;
    };
    const auto named = [](QWidget* pPanel, std::initializer_list<const char*> names) {
        QList<QWidget*> widgets;
        for (const char* name : names) {
            widgets << pPanel->findChild<QWidget*>(QLatin1String(name));
        }
        return widgets;
    };
    CChannelGrid* pGrid = m_pPoly->getChannelGrid();
    QTabBar* pTabBar = m_main->getTabWidget()->findChild<QTabBar*>();
    const QList<QWidget*> polyStops =
        QList<QWidget*>{pTabBar} +
        named(m_pPoly, {"BwfFileTable", "SourceAdd", "SourceAll", "SourceRemove", "SourceClear",
                        "SourceFileTable"}) +
        QList<QWidget*>{pGrid->GetCell(1)} + // the boxes are one stop
        named(m_pPoly, {"ChannelAll", "ChannelNone", "DestFolder", "DestChoose", "Convert"}) +
        QList<QWidget*>{m_main->getTreeView()};
    EXPECT_EQ(walk(m_main->getTreeView(), int(polyStops.size())), polyStops);
    // Within the boxes the arrows move.
    pGrid->GetCell(1)->setFocus();
    QTest::keyClick(pGrid->GetCell(1), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), pGrid->GetCell(2));

    m_main->getTabWidget()->setCurrentIndex(1);
    SelectRows(m_pMono->getTargetFileTable(), {0});
    ASSERT_EQ(m_pMono->getChannelGrid()->GetCellCount(), 2);
    const QList<QWidget*> monoStops =
        named(m_pMono, {"TargetFileTable", "ConvertMode0", "DestFolder", "DestChoose", "Convert"});
    EXPECT_EQ(walk(pTabBar, int(monoStops.size())), monoStops);
    EXPECT_EQ(m_pMono->getChannelGrid()->GetCell(1)->focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(m_pMono->getChannelGrid()->GetCell(1)));
    EXPECT_TRUE(Child<QLineEdit>(m_pMono, "ConvertFile")->isReadOnly());
}

// At 800x600, with long names and a source row of 8 named channels, every
// label and button shows its whole text, long folder names elide, and the
// tree keeps a usable width.
TEST_F(CWindowTest, TheLayoutHoldsAt800x600) {
    const std::string longName(120, 'x');
    const fs::path folder = m_dir / "in" / ("Sound Roll " + longName);
    fs::create_directories(folder);
    WriteWave(folder / (longName + ".wav"), 8, 10);
    WriteWave(folder / (longName + "_1.wav"), 1, 10);
    m_main->resize(800, 600);
    m_main->show();
    m_main->GoToFolder(QString::fromStdString(folder.string()));
    m_pPoly->OnButtonSourceAll();
    SelectRows(m_pPoly->getSourceFileTable(), {0});
    EXPECT_LE(m_main->minimumSizeHint().width(), 800);
    EXPECT_LE(m_main->minimumSizeHint().height(), 600);
    const auto displayed = [](QString text) { return text.remove(QRegularExpression("&(?!&)")); };
    for (const int tab : {0, 1}) {
        m_main->getTabWidget()->setCurrentIndex(tab);
        if (tab == 1) {
            SelectRows(m_pMono->getTargetFileTable(), {0});
        }
        QApplication::processEvents();
        EXPECT_EQ(m_main->size(), QSize(800, 600));
        EXPECT_GE(m_main->getTreeView()->width(), 150);
        for (QLabel* pLabel : m_main->findChildren<QLabel*>()) {
            if (!pLabel->isVisible() || pLabel->text().isEmpty()) {
                continue;
            }
            if (auto* pElided = qobject_cast<CElidedLabel*>(pLabel)) {
                EXPECT_TRUE(pElided->isElided()) << "the folder's long name";
                continue;
            }
            EXPECT_LE(pLabel->fontMetrics().horizontalAdvance(displayed(pLabel->text())),
                      pLabel->contentsRect().width())
                << pLabel->text().toStdString();
        }
        for (QAbstractButton* pButton : m_main->findChildren<QAbstractButton*>()) {
            if (pButton->isVisible() && !pButton->text().isEmpty()) {
                EXPECT_GE(pButton->width(), pButton->sizeHint().width())
                    << pButton->text().toStdString();
                EXPECT_GE(pButton->height(), pButton->sizeHint().height())
                    << pButton->text().toStdString();
            }
        }
    }
}

// A file that appears in the listed folder, or goes, shows in the list
// without a word from the user, and the selection stays.
TEST_F(CWindowTest, TheListFollowsTheWatchedFolder) {
    WriteWave(m_dir / "in/a.wav", 2, 10);
    WriteWave(m_dir / "in/b.wav", 2, 10);
    m_main->GoToFolder(Dir("in"));
    CBwfFileList* pFiles = m_pPoly->getBwfFileList();
    const int b = pFiles->getItemText(0, 1) == "b.wav" ? 0 : 1;
    SelectRows(m_pPoly->getBwfFileTable(), {b});
    WriteWave(m_dir / "in/c.wav", 4, 10);
    EXPECT_TRUE(QTest::qWaitFor([&]() { return pFiles->getItemCount() == 3; }, 5000));
    const auto selected = [&]() {
        return pFiles->getItemText(
            pFiles->getSelectedItemPosition(m_pPoly->getBwfFileTable()->selectionModel()), 1);
    };
    EXPECT_EQ(selected(), "b.wav");
    fs::remove(m_dir / "in/a.wav");
    EXPECT_TRUE(QTest::qWaitFor([&]() { return pFiles->getItemCount() == 2; }, 5000));
    EXPECT_EQ(selected(), "b.wav");
}

// F5 reads the listed folder's part of the tree and its list again; Go to
// Folder reaches a folder under none of the top rows.
TEST_F(CWindowTest, RefreshAndGoToFolder) {
    m_main->GoToFolder(Dir("in"));
    CDirectoryTree* pTree = m_main->getDirectoryTree();
    const QModelIndex in = pTree->FindPath(Dir("in"));
    ASSERT_TRUE(in.isValid());
    fs::create_directories(m_dir / "in/new");
    WriteWave(m_dir / "in/a.wav", 2, 10);
    Action("ActionRefresh")->trigger();
    EXPECT_EQ(m_pPoly->getBwfFileList()->getItemCount(), 1);
    EXPECT_TRUE(pTree->hasChildren(pTree->FindPath(Dir("in")))); // a leaf no more

    QTemporaryDir elsewhere;
    QDir(elsewhere.path()).mkpath("Day 2");
    WriteWave(fs::path(elsewhere.path().toStdString()) / "Day 2/T_1.wav", 1, 10);
    const QString target = elsewhere.path() + "/Day 2";
    CDialogAnswer driver(On<CGoFolderDialog>([&](CGoFolderDialog* pDialog) {
        pDialog->getEdit()->setText(target + "/nowhere");
        EXPECT_FALSE(pDialog->getOkButton()->isEnabled());
        pDialog->getEdit()->setText(QDir(Dir("in")).relativeFilePath(target) + "/");
        EXPECT_EQ(pDialog->getPath(), target);
        pDialog->getOkButton()->click();
    }));
    m_main->getTabWidget()->setCurrentIndex(1);
    Action("ActionGoFolder")->trigger();
    EXPECT_EQ(driver.m_count, 1);
    EXPECT_EQ(m_main->getDirectoryPath(), target);
    EXPECT_EQ(pTree->getPath(m_main->getTreeView()->currentIndex()), target);
    EXPECT_EQ(m_pMono->getTargetFileList()->getItemCount(), 1);
}

// The chooser opens at the output folder when there is one, else at the
// listed folder.
TEST_F(CWindowTest, TheFolderChooserOpensWhereTheWorkIs) {
    m_main->GoToFolder(Dir("in"));
    const std::pair<QString, QString> cases[] = {
        {Dir("out"), Dir("out")}, {QString(), Dir("in")}, {Dir("gone"), Dir("in")}};
    for (const auto& [output, opened] : cases) {
        m_pPoly->setOutputFolder(output);
        QString shown;
        CDialogAnswer driver(On<QFileDialog>([&shown](QFileDialog* pDialog) {
            shown = pDialog->directory().absolutePath();
            pDialog->reject();
        }));
        Action("ActionChooseOutput")->trigger();
        EXPECT_EQ(shown, opened);
        EXPECT_EQ(m_pPoly->getOutputFolder(), output);
    }
}

} // namespace
