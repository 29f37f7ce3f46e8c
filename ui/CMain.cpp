#include "CMain.h"

#include "CDirectoryTree.h"
#include "CFolderView.h"
#include "CGoFolderDialog.h"
#include "CJobRunner.h"
#include "CMonoToPolyPanel.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"
#include "KestrawaveVersion.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>

#include <algorithm>

namespace {

const char keyGeometry[] = "window/geometry";
const char keySplitter[] = "window/splitter";
const char keyTab[] = "window/tab";
const char keyFolder[] = "folders/listed";
const char keyPolyToMonoOutput[] = "polyToMono/outputFolder";
const char keyMonoToPolyOutput[] = "monoToPoly/outputFolder";

} // namespace

CMain::CMain(const QStringList& topFolders, const QString& appPath, QWidget* pParent)
    : QMainWindow(pParent), m_viewDirectory(new CFolderView(this)),
      m_treeDirectory(new CDirectoryTree(topFolders, appPath, this)),
      m_tabMain(new QTabWidget(this)), m_dlgProgress(new CProgressWindow(this)),
      m_pJobRunner(new CJobRunner(m_dlgProgress, m_dlgProgress)), m_pSplitter(new QSplitter(this)),
      m_pWatcher(new QFileSystemWatcher(this)) {
    setWindowTitle(QStringLiteral("Kestrawave"));
    m_panelPolyToMono = new CPolyToMonoPanel(m_pJobRunner, m_tabMain);
    m_panelMonoToPoly = new CMonoToPolyPanel(m_pJobRunner, m_tabMain);
    m_tabMain->addTab(m_panelPolyToMono, tr("&Poly to Mono"));
    m_tabMain->addTab(m_panelMonoToPoly, tr("&Mono to Poly"));
    m_tabMain->setTabToolTip(0, tr("Split poly files into one mono file per channel"));
    m_tabMain->setTabToolTip(1, tr("Merge a take's mono files into one poly file"));

    m_viewDirectory->setModel(m_treeDirectory);
    m_viewDirectory->setHeaderHidden(true);
    m_viewDirectory->setIconSize(QSize(16, 16));
    m_viewDirectory->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_viewDirectory->setAccessibleName(tr("Folders"));
    // Room for a few levels of folder names, whatever the splitter says.
    m_viewDirectory->setMinimumWidth(fontMetrics().averageCharWidth() * 22);
    m_treeDirectory->setTreeView(m_viewDirectory);

    m_pSplitter->setObjectName(QStringLiteral("MainSplitter"));
    m_pSplitter->addWidget(m_viewDirectory);
    m_pSplitter->addWidget(m_tabMain);
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setCollapsible(0, false);
    m_pSplitter->setCollapsible(1, false);
    m_pSplitter->setSizes({230, 730});
    setCentralWidget(m_pSplitter);
    resize(960, 680);

    m_timerWatch.setSingleShot(true);
    connect(&m_timerWatch, &QTimer::timeout, this, &CMain::OnWatchTimeout);
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, &CMain::OnFolderChanged);
    connect(m_viewDirectory, &CFolderView::FolderChosen, this, &CMain::outlineViewShouldSelectItem);
    connect(m_tabMain, &QTabWidget::currentChanged, this, &CMain::tabViewWillSelectTabViewItem);
    connect(m_panelMonoToPoly, &CMonoToPolyPanel::FolderDropped, this,
            [this](const QString& folder) { GoToFolder(folder); });

    CreateMenus();
    connect(m_tabMain, &QTabWidget::currentChanged, this, &CMain::UpdateActions);
    connect(m_panelPolyToMono, &CPolyToMonoPanel::StateChanged, this, &CMain::UpdateActions);
    connect(m_panelMonoToPoly, &CMonoToPolyPanel::StateChanged, this, &CMain::UpdateActions);
    RestoreSettings();
    UpdateActions();
}

void CMain::CreateMenus() {
    const auto make = [this](QMenu* pMenu, const QString& text, const char* name,
                             const QString& tip) {
        QAction* pAction = pMenu->addAction(text);
        pAction->setObjectName(QLatin1String(name));
        pAction->setStatusTip(tip);
        pAction->setToolTip(tip);
        return pAction;
    };
    QMenu* pFile = menuBar()->addMenu(tr("&File"));
    m_actionAdd = make(pFile, tr("&Add"), "ActionAdd",
                       tr("Add the selected wave files to the files to convert"));
    m_actionAddAll = make(pFile, tr("Add A&ll"), "ActionAddAll",
                          tr("Add every wave file of the folder to the files to convert"));
    m_actionChooseOutput = make(pFile, tr("C&hoose Output Folder\u2026"), "ActionChooseOutput",
                                tr("Choose the folder the converted files go to"));
    pFile->addSeparator();
    m_actionConvert = make(pFile, tr("&Convert"), "ActionConvert", tr("Run the conversion"));
    m_actionConvert->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    pFile->addSeparator();
    QAction* pQuit = make(pFile, tr("&Quit"), "ActionQuit", tr("Close the window"));
    pQuit->setShortcuts(QKeySequence::Quit);
    pQuit->setMenuRole(QAction::QuitRole);

    QMenu* pEdit = menuBar()->addMenu(tr("&Edit"));
    m_actionRemove = make(pEdit, tr("&Remove"), "ActionRemove",
                          tr("Remove the selected file from the files to convert"));
    m_actionRemove->setShortcut(QKeySequence::Delete);
    m_actionClear =
        make(pEdit, tr("&Clear"), "ActionClear", tr("Remove every file from the files to convert"));

    QMenu* pView = menuBar()->addMenu(tr("&View"));
    m_actionRefresh = make(pView, tr("&Refresh"), "ActionRefresh",
                           tr("Read the listed folder and its folders again"));
    m_actionRefresh->setShortcuts(QKeySequence::Refresh);

    QMenu* pGo = menuBar()->addMenu(tr("&Go"));
    QAction* pGoFolder =
        make(pGo, tr("&Folder\u2026"), "ActionGoFolder", tr("Go to a folder by its path"));
    pGoFolder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));

    QMenu* pHelp = menuBar()->addMenu(tr("&Help"));
    QAction* pAbout = pHelp->addAction(tr("&About Kestrawave"), this, &CMain::OnMenuAbout);
    pAbout->setObjectName(QStringLiteral("ActionAbout"));
    // macOS moves it to the application menu.
    pAbout->setMenuRole(QAction::AboutRole);

    connect(m_actionAdd, &QAction::triggered, m_panelPolyToMono,
            &CPolyToMonoPanel::OnButtonSourceAdd);
    connect(m_actionAddAll, &QAction::triggered, m_panelPolyToMono,
            &CPolyToMonoPanel::OnButtonSourceAll);
    connect(m_actionRemove, &QAction::triggered, m_panelPolyToMono,
            &CPolyToMonoPanel::OnButtonSourceRemove);
    connect(m_actionClear, &QAction::triggered, m_panelPolyToMono,
            &CPolyToMonoPanel::OnButtonSourceClear);
    connect(m_actionChooseOutput, &QAction::triggered, this, [this]() {
        if (IsPolyToMonoShown()) {
            m_panelPolyToMono->OnButtonDestSel();
        } else {
            m_panelMonoToPoly->OnButtonDestSel();
        }
    });
    connect(m_actionConvert, &QAction::triggered, this, [this]() {
        // A shortcut reaches here whatever the buttons say.
        if (IsPolyToMonoShown() && m_panelPolyToMono->canConvert()) {
            m_panelPolyToMono->OnButtonConvert();
        } else if (!IsPolyToMonoShown() && m_panelMonoToPoly->canConvert()) {
            m_panelMonoToPoly->OnButtonConvert();
        }
    });
    connect(pQuit, &QAction::triggered, this, &QWidget::close);
    connect(m_actionRefresh, &QAction::triggered, this, &CMain::OnMenuRefresh);
    connect(pGoFolder, &QAction::triggered, this, &CMain::OnMenuGoFolder);
}

void CMain::UpdateActions() {
    const bool isPoly = IsPolyToMonoShown();
    m_actionAdd->setEnabled(isPoly && m_panelPolyToMono->canAdd());
    m_actionAddAll->setEnabled(isPoly && m_panelPolyToMono->canAddAll());
    m_actionRemove->setEnabled(isPoly && m_panelPolyToMono->canRemove());
    m_actionClear->setEnabled(isPoly && m_panelPolyToMono->canClear());
    m_actionConvert->setEnabled(isPoly ? m_panelPolyToMono->canConvert()
                                       : m_panelMonoToPoly->canConvert());
    m_actionRefresh->setEnabled(!m_strDirectoryPath.isEmpty());
}

bool CMain::IsPolyToMonoShown() const {
    return m_tabMain->currentWidget() == m_panelPolyToMono;
}

void CMain::outlineViewShouldSelectItem(const QModelIndex& index) {
    ListFolder(m_treeDirectory->getPath(index));
}

void CMain::tabViewWillSelectTabViewItem(int) {
    ListVisibleTab();
}

bool CMain::ListVisibleTab() {
    if (IsPolyToMonoShown()) {
        return m_panelPolyToMono->bwfFileListEnumItem(m_strDirectoryPath);
    }
    return m_panelMonoToPoly->targetFileListEnumItem(m_strDirectoryPath);
}

void CMain::ListFolder(const QString& folder) {
    m_strDirectoryPath = folder;
    if (!m_pWatcher->directories().isEmpty()) {
        m_pWatcher->removePaths(m_pWatcher->directories());
    }
    m_timerWatch.stop();
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        m_pWatcher->addPath(folder);
    }
    ListVisibleTab();
    UpdateActions();
}

void CMain::OnFolderChanged() {
    if (!m_timerWatch.isActive()) {
        m_timeWatchFirst.start();
    }
    const qint64 left = WATCH_LONGEST_MS - m_timeWatchFirst.elapsed();
    m_timerWatch.start(int(std::clamp<qint64>(left, 0, WATCH_QUIET_MS)));
}

void CMain::OnWatchTimeout() {
    // A run writing into the folder lists it again when it ends.
    if (m_pJobRunner->isRunning()) {
        m_timerWatch.start(WATCH_SETTLE_MS);
        return;
    }
    // A folder made anew under the same name is no longer watched.
    if (!m_pWatcher->directories().contains(m_strDirectoryPath) &&
        QFileInfo(m_strDirectoryPath).isDir()) {
        m_pWatcher->addPath(m_strDirectoryPath);
    }
    // The watcher says nothing while a file grows: look again until the
    // list stays as it is.
    if (ListVisibleTab()) {
        m_timeWatchFirst.start();
        m_timerWatch.start(WATCH_SETTLE_MS);
    }
}

bool CMain::GoToFolder(const QString& path) {
    const QModelIndex index = m_treeDirectory->OpenPath(path);
    if (!index.isValid()) {
        return false;
    }
    m_viewDirectory->setCurrentIndex(index);
    m_viewDirectory->scrollTo(index);
    outlineViewShouldSelectItem(index);
    return true;
}

void CMain::OnMenuGoFolder() {
    CGoFolderDialog dialog(m_strDirectoryPath, this);
    if (dialog.exec() == QDialog::Accepted && !dialog.getPath().isEmpty()) {
        GoToFolder(dialog.getPath());
    }
}

void CMain::OnMenuRefresh() {
    const QModelIndex index = m_treeDirectory->FindPath(m_strDirectoryPath);
    if (index.isValid()) {
        m_treeDirectory->Refresh(index);
    }
    ListVisibleTab();
}

void CMain::SaveSettings() const {
    QSettings settings;
    settings.setValue(QLatin1String(keyGeometry), saveGeometry());
    settings.setValue(QLatin1String(keySplitter), m_pSplitter->saveState());
    settings.setValue(QLatin1String(keyTab), m_tabMain->currentIndex());
    settings.setValue(QLatin1String(keyFolder), m_strDirectoryPath);
    settings.setValue(QLatin1String(keyPolyToMonoOutput), m_panelPolyToMono->getOutputFolder());
    settings.setValue(QLatin1String(keyMonoToPolyOutput), m_panelMonoToPoly->getOutputFolder());
}

void CMain::RestoreSettings() {
    const QSettings settings;
    restoreGeometry(settings.value(QLatin1String(keyGeometry)).toByteArray());
    m_pSplitter->restoreState(settings.value(QLatin1String(keySplitter)).toByteArray());
    const int tab = settings.value(QLatin1String(keyTab), 0).toInt();
    if (tab >= 0 && tab < m_tabMain->count()) {
        m_tabMain->setCurrentIndex(tab);
    }
    const auto folderOf = [&settings](const char* key) {
        const QString folder = settings.value(QLatin1String(key)).toString();
        return QFileInfo(folder).isDir() ? folder : QString();
    };
    m_panelPolyToMono->setOutputFolder(folderOf(keyPolyToMonoOutput));
    m_panelMonoToPoly->setOutputFolder(folderOf(keyMonoToPolyOutput));
    const QString folder = folderOf(keyFolder);
    if (!folder.isEmpty()) {
        GoToFolder(folder);
    }
}

void CMain::closeEvent(QCloseEvent* pEvent) {
    SaveSettings();
    QMainWindow::closeEvent(pEvent);
}

void CMain::OnMenuAbout() {
    QMessageBox::about(this, tr("About Kestrawave"),
                       tr("<h3>Kestrawave %1</h3>"
                          "<p>Converts Broadcast Wave poly files to mono files and back.</p>"
                          "<p>Copyright 2026 The Kestrawave developers.<br>"
                          "Released under the MIT License.</p>")
                           .arg(QStringLiteral(KESTRAWAVE_VERSION)));
}
