#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

class CDirectoryTree;
class CFolderView;
class CJobRunner;
class CMonoToPolyPanel;
class CPolyToMonoPanel;
class CProgressWindow;
class QAction;
class QFileSystemWatcher;
class QModelIndex;
class QSplitter;
class QTabWidget;

// The main window: the folder tree on the left, the two conversion tabs on
// the right, and the menus. The folder the user last chose in the tree
// (CFolderView), or reached by Go > Folder or a drop on the Mono to Poly
// tab, goes to the panel of the visible tab, each time it is chosen, also
// again, and whenever the tab changes. The listed folder is watched: files
// that come and go show in its list a moment later, the selection kept,
// and the list is read again until it stays the same (a card being copied).
// The menus' actions act on the visible tab and are enabled only when they
// can act. Closing the window saves, and making it restores (QSettings of
// the application), each tab's output folder, the visible tab, the window's
// geometry, the splitter and the listed folder; a folder that has gone is
// ignored.
class CMain : public QMainWindow {
    Q_OBJECT
public:
    // A change in the listed folder is read once the folder has been quiet
    // for WATCH_QUIET_MS, or WATCH_LONGEST_MS after the first change at the
    // latest; a list that changed is read again after WATCH_SETTLE_MS.
    static constexpr int WATCH_QUIET_MS = 300;
    static constexpr int WATCH_LONGEST_MS = 2000;
    static constexpr int WATCH_SETTLE_MS = 1000;

    // topFolders: the tree's top rows; appPath: the folder of the program,
    // opened at start.
    CMain(const QStringList& topFolders, const QString& appPath, QWidget* pParent = nullptr);

    CPolyToMonoPanel* getPolyToMonoPanel() const { return m_panelPolyToMono; }
    CMonoToPolyPanel* getMonoToPolyPanel() const { return m_panelMonoToPoly; }
    CProgressWindow* getProgressWindow() const { return m_dlgProgress; }
    CJobRunner* getJobRunner() const { return m_pJobRunner; }
    QTabWidget* getTabWidget() const { return m_tabMain; }
    CFolderView* getTreeView() const { return m_viewDirectory; }
    CDirectoryTree* getDirectoryTree() const { return m_treeDirectory; }
    QSplitter* getSplitter() const { return m_pSplitter; }
    const QString& getDirectoryPath() const { return m_strDirectoryPath; }

    // Opens the tree to the folder at path (adding the top row it needs),
    // makes its row the selected one and lists it in the visible tab. False,
    // changing nothing, when path is no folder.
    bool GoToFolder(const QString& path);
    void SaveSettings() const;

public slots:
    // The user chose a folder row.
    void outlineViewShouldSelectItem(const QModelIndex& index);
    // The tab at index is about to be shown.
    void tabViewWillSelectTabViewItem(int index);
    // Help > About Kestrawave: the name, version, purpose and licence.
    void OnMenuAbout();
    // Go > Folder: asks for a path (CGoFolderDialog) and goes there.
    void OnMenuGoFolder();
    // View > Refresh: reads the listed folder, and its open part of the
    // tree, again.
    void OnMenuRefresh();
    void UpdateActions();

protected:
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void CreateMenus();
    void RestoreSettings();
    // Lists folder in the visible tab, and watches it from now on.
    void ListFolder(const QString& folder);
    // True when the list changed.
    bool ListVisibleTab();
    bool IsPolyToMonoShown() const;
    void OnFolderChanged();
    void OnWatchTimeout();

    QString m_strDirectoryPath;
    // Made first, so that the tree comes first in the focus chain.
    CFolderView* m_viewDirectory;
    CDirectoryTree* m_treeDirectory;
    QTabWidget* m_tabMain;
    CMonoToPolyPanel* m_panelMonoToPoly;
    CPolyToMonoPanel* m_panelPolyToMono;
    CProgressWindow* m_dlgProgress;
    CJobRunner* m_pJobRunner;
    QSplitter* m_pSplitter;
    QFileSystemWatcher* m_pWatcher;
    QTimer m_timerWatch;
    QElapsedTimer m_timeWatchFirst;

    QAction* m_actionAdd;
    QAction* m_actionAddAll;
    QAction* m_actionChooseOutput;
    QAction* m_actionConvert;
    QAction* m_actionRemove;
    QAction* m_actionClear;
    QAction* m_actionRefresh;
};
