#include "CMain.h"

#include "CDirectoryTree.h"
#include "CFolderView.h"
#include "CJobRunner.h"
#include "CMonoToPolyPanel.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"
#include "KestrawaveVersion.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QTabWidget>

CMain::CMain(const QStringList& topFolders, const QString& appPath, QWidget* pParent)
    : QMainWindow(pParent), m_tabMain(new QTabWidget(this)),
      m_treeDirectory(new CDirectoryTree(topFolders, appPath, this)),
      m_viewDirectory(new CFolderView(this)), m_dlgProgress(new CProgressWindow(this)),
      m_pJobRunner(new CJobRunner(m_dlgProgress, m_dlgProgress)) {
    setWindowTitle(QStringLiteral("Kestrawave"));
    m_panelPolyToMono = new CPolyToMonoPanel(m_pJobRunner, m_tabMain);
    m_panelMonoToPoly = new CMonoToPolyPanel(m_pJobRunner, m_tabMain);
    m_tabMain->addTab(m_panelPolyToMono, tr("Poly to Mono"));
    m_tabMain->addTab(m_panelMonoToPoly, tr("Mono to Poly"));

    m_viewDirectory->setModel(m_treeDirectory);
    m_viewDirectory->setHeaderHidden(true);
    m_viewDirectory->setIconSize(QSize(16, 16));
    m_viewDirectory->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_treeDirectory->setTreeView(m_viewDirectory);

    auto* pSplitter = new QSplitter(this);
    pSplitter->addWidget(m_viewDirectory);
    pSplitter->addWidget(m_tabMain);
    pSplitter->setStretchFactor(1, 1);
    pSplitter->setSizes({260, 640});
    setCentralWidget(pSplitter);
    resize(960, 640);

    connect(m_viewDirectory, &CFolderView::FolderChosen, this, &CMain::outlineViewShouldSelectItem);
    connect(m_tabMain, &QTabWidget::currentChanged, this, &CMain::tabViewWillSelectTabViewItem);

    QMenu* pHelp = menuBar()->addMenu(tr("&Help"));
    QAction* pAbout = pHelp->addAction(tr("&About Kestrawave"), this, &CMain::OnMenuAbout);
    // macOS moves it to the application menu.
    pAbout->setMenuRole(QAction::AboutRole);
}

void CMain::outlineViewShouldSelectItem(const QModelIndex& index) {
    m_strDirectoryPath = m_treeDirectory->getPath(index);
    tabViewWillSelectTabViewItem(m_tabMain->currentIndex());
}

void CMain::tabViewWillSelectTabViewItem(int index) {
    QWidget* pTab = m_tabMain->widget(index);
    if (pTab != nullptr && pTab->objectName() == QLatin1String("PolyToMono")) {
        m_panelPolyToMono->bwfFileListEnumItem(m_strDirectoryPath);
    } else {
        m_panelMonoToPoly->targetFileListEnumItem(m_strDirectoryPath);
    }
}

void CMain::OnMenuAbout() {
    QMessageBox::about(this, tr("About Kestrawave"),
                       tr("<h3>Kestrawave %1</h3>"
                          "<p>Converts Broadcast Wave poly files to mono files and back.</p>"
                          "<p>Copyright 2026 The Kestrawave developers.<br>"
                          "Released under the MIT License.</p>")
                           .arg(QStringLiteral(KESTRAWAVE_VERSION)));
}
