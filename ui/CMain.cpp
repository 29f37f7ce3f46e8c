#include "CMain.h"

#include "CDirectoryTree.h"
#include "CMonoToPolyPanel.h"
#include "CPolyToMonoPanel.h"
#include "CProgressWindow.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>

CMain::CMain(const QStringList& topFolders, const QString& appPath, QWidget* pParent)
    : QMainWindow(pParent), m_tabMain(new QTabWidget(this)),
      m_treeDirectory(new CDirectoryTree(topFolders, appPath, this)),
      m_viewDirectory(new QTreeView(this)), m_dlgProgress(new CProgressWindow(this)) {
    setWindowTitle(QStringLiteral("Kestrawave"));
    m_panelPolyToMono = new CPolyToMonoPanel(m_dlgProgress, m_tabMain);
    m_panelMonoToPoly = new CMonoToPolyPanel(m_dlgProgress, m_tabMain);
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

    connect(m_viewDirectory->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    outlineViewShouldSelectItem(current);
                }
            });
    connect(m_tabMain, &QTabWidget::currentChanged, this, &CMain::tabViewWillSelectTabViewItem);
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
