#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

class CDirectoryTree;
class CFolderView;
class CJobRunner;
class CMonoToPolyPanel;
class CPolyToMonoPanel;
class CProgressWindow;
class QModelIndex;
class QTabWidget;

// The main window: the folder tree on the left, the two conversion tabs on
// the right. The folder the user last chose in the tree (CFolderView) goes
// to the panel of the visible tab, each time it is chosen, also again, and
// whenever the tab changes.
class CMain : public QMainWindow {
    Q_OBJECT
public:
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
    const QString& getDirectoryPath() const { return m_strDirectoryPath; }

public slots:
    // The user chose a folder row.
    void outlineViewShouldSelectItem(const QModelIndex& index);
    // The tab at index is about to be shown.
    void tabViewWillSelectTabViewItem(int index);
    // Help > About Kestrawave: the name, version, purpose and licence.
    void OnMenuAbout();

private:
    QString m_strDirectoryPath;
    CMonoToPolyPanel* m_panelMonoToPoly;
    CPolyToMonoPanel* m_panelPolyToMono;
    QTabWidget* m_tabMain;
    CDirectoryTree* m_treeDirectory;
    CFolderView* m_viewDirectory;
    CProgressWindow* m_dlgProgress;
    CJobRunner* m_pJobRunner;
};
