#include "CPolyToMonoPanel.h"

#include "CAlert.h"
#include "CBwfFileList.h"
#include "CChannelGrid.h"
#include "CElidedLabel.h"
#include "CFolderChooser.h"
#include "CJobRunner.h"
#include "CPolyToMonoJob.h"
#include "CSourceFileList.h"
#include "CTrackMetadata.h"
#include "CWaveScanner.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QTableView* MakeTable(QWidget* pParent, QAbstractItemModel* pModel,
                      QAbstractItemView::SelectionMode mode, const QString& name) {
    auto* pTable = new QTableView(pParent);
    pTable->setModel(pModel);
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->setSelectionMode(mode);
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pTable->setTextElideMode(Qt::ElideMiddle);
    pTable->setWordWrap(false);
    // Tab leaves the list for the next control rather than walk its cells.
    pTable->setTabKeyNavigation(false);
    pTable->setAccessibleName(name);
    pTable->verticalHeader()->hide();
    pTable->verticalHeader()->setDefaultSectionSize(pTable->fontMetrics().height() + 8);
    pTable->horizontalHeader()->setStretchLastSection(false);
    pTable->horizontalHeader()->setHighlightSections(false);
    return pTable;
}

// Keeps the columns sized to their contents as rows come and change: the
// header does so only now and then by itself. Once per turn of the event
// loop, however many rows changed.
void FitColumnsToContents(QTableView* pTable) {
    auto* pTimer = new QTimer(pTable);
    pTimer->setSingleShot(true);
    pTimer->setInterval(0);
    QObject::connect(pTimer, &QTimer::timeout, pTable, [pTable]() {
        for (int column = 0; column < pTable->model()->columnCount(); ++column) {
            if (pTable->horizontalHeader()->sectionResizeMode(column) ==
                QHeaderView::ResizeToContents) {
                pTable->resizeColumnToContents(column);
            }
        }
    });
    const auto fit = [pTimer]() { pTimer->start(); };
    QAbstractItemModel* pModel = pTable->model();
    QObject::connect(pModel, &QAbstractItemModel::rowsInserted, pTimer, fit);
    QObject::connect(pModel, &QAbstractItemModel::dataChanged, pTimer, fit);
    QObject::connect(pModel, &QAbstractItemModel::modelReset, pTimer, fit);
}

// The local paths of a drag, if any of them can join the work list.
QStringList DroppedPaths(const QMimeData* pData) {
    QStringList paths;
    for (const QUrl& url : pData->urls()) {
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (!path.isEmpty() &&
            (info.isDir() || CWaveScanner::IsWaveName(info.fileName().toStdString()))) {
            paths << path;
        }
    }
    return paths;
}

} // namespace

CPolyToMonoPanel::CPolyToMonoPanel(CJobRunner* pRunner, QWidget* pParent)
    : QWidget(pParent), m_buttonConvert(new QPushButton(tr("&Convert"), this)),
      m_pJobRunner(pRunner), m_editDestFolder(new QLineEdit(this)),
      m_listBwfFile(new CBwfFileList(this)), m_listSourceFile(new CSourceFileList(this)),
      m_matrixSelChannel(new QButtonGroup(this)), m_gridSelChannel(new CChannelGrid(this)),
      m_buttonChannelAll(new QPushButton(tr("All"), this)),
      m_buttonChannelNone(new QPushButton(tr("&None"), this)),
      m_buttonSourceAdd(new QPushButton(tr("&Add"), this)),
      m_buttonSourceAll(new QPushButton(tr("A&dd All"), this)),
      m_buttonSourceRemove(new QPushButton(tr("&Remove"), this)),
      m_buttonSourceClear(new QPushButton(tr("C&lear"), this)),
      m_textFolder(new CElidedLabel(this)) {
    setObjectName(QStringLiteral("PolyToMono"));
    setAcceptDrops(true);
    m_tableBwfFile =
        MakeTable(this, m_listBwfFile, QAbstractItemView::ExtendedSelection, tr("Wave files"));
    m_tableSourceFile = MakeTable(this, m_listSourceFile, QAbstractItemView::SingleSelection,
                                  tr("Files to convert"));
    m_tableBwfFile->setObjectName(QStringLiteral("BwfFileTable"));
    m_tableSourceFile->setObjectName(QStringLiteral("SourceFileTable"));
    // The name takes the room the numbers leave.
    QHeaderView* pHeader = m_tableBwfFile->horizontalHeader();
    pHeader->setSectionResizeMode(QHeaderView::ResizeToContents);
    pHeader->setSectionResizeMode(0, QHeaderView::Stretch);
    // Clicks on a header go ascending, descending, then back to the
    // folder's own order.
    pHeader->setSortIndicatorClearable(true);
    pHeader->setSortIndicator(-1, Qt::AscendingOrder);
    m_tableBwfFile->setSortingEnabled(true);
    m_tableBwfFile->setAccessibleDescription(
        tr("Double-click a file, or press Enter, to add it to the files to convert"));
    QHeaderView* pSourceHeader = m_tableSourceFile->horizontalHeader();
    pSourceHeader->setSectionResizeMode(QHeaderView::ResizeToContents);
    pSourceHeader->setSectionResizeMode(3, QHeaderView::Stretch);
    FitColumnsToContents(m_tableBwfFile);
    FitColumnsToContents(m_tableSourceFile);
    m_matrixSelChannel->setExclusive(false);

    m_buttonSourceAdd->setObjectName(QStringLiteral("SourceAdd"));
    m_buttonSourceAll->setObjectName(QStringLiteral("SourceAll"));
    m_buttonSourceRemove->setObjectName(QStringLiteral("SourceRemove"));
    m_buttonSourceClear->setObjectName(QStringLiteral("SourceClear"));
    m_buttonConvert->setObjectName(QStringLiteral("Convert"));
    m_editDestFolder->setObjectName(QStringLiteral("DestFolder"));
    m_buttonChannelAll->setObjectName(QStringLiteral("ChannelAll"));
    m_buttonChannelNone->setObjectName(QStringLiteral("ChannelNone"));
    m_textFolder->setObjectName(QStringLiteral("FolderLabel"));
    m_buttonSourceAdd->setToolTip(tr("Add the selected wave files to the files to convert"));
    m_buttonSourceAll->setToolTip(tr("Add every wave file of the folder"));
    m_buttonSourceRemove->setToolTip(tr("Remove the selected file from the files to convert"));
    m_buttonSourceClear->setToolTip(tr("Remove every file from the files to convert"));
    m_buttonChannelAll->setToolTip(tr("Tick every channel of the selected file"));
    m_buttonChannelNone->setToolTip(tr("Untick every channel of the selected file"));
    m_buttonChannelAll->setAccessibleName(tr("Tick all channels"));
    m_buttonChannelNone->setAccessibleName(tr("Untick all channels"));
    m_buttonConvert->setToolTip(tr("Split the files to convert into mono files (Ctrl+Return)"));
    m_gridSelChannel->setAccessibleName(tr("Channels to write"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textFolder);
    pLayout->addWidget(m_tableBwfFile, 3);
    auto* pMoves = new QHBoxLayout;
    for (QPushButton* pButton :
         {m_buttonSourceAdd, m_buttonSourceAll, m_buttonSourceRemove, m_buttonSourceClear}) {
        pButton->setAutoDefault(false);
        pMoves->addWidget(pButton);
    }
    pMoves->addStretch();
    pLayout->addLayout(pMoves);
    auto* pSourceLabel = new QLabel(tr("Files &to convert"), this);
    pSourceLabel->setBuddy(m_tableSourceFile);
    pLayout->addWidget(pSourceLabel);
    pLayout->addWidget(m_tableSourceFile, 2);
    auto* pChannels = new QHBoxLayout;
    pChannels->addWidget(new QLabel(tr("Channels"), this), 0, Qt::AlignTop);
    pChannels->addWidget(m_gridSelChannel, 1);
    // One above the other, so that the boxes keep the width.
    auto* pTicks = new QVBoxLayout;
    for (QPushButton* pButton : {m_buttonChannelAll, m_buttonChannelNone}) {
        pButton->setAutoDefault(false);
        pTicks->addWidget(pButton);
    }
    pTicks->addStretch();
    pChannels->addLayout(pTicks);
    pLayout->addLayout(pChannels);
    QPushButton* pDestSel =
        CFolderChooser::AddOutputRows(this, pLayout, m_editDestFolder, m_buttonConvert);

    // The order of the layout, top to bottom; the channel boxes join it
    // after the work list as they come.
    QWidget* pPrevious = m_tableBwfFile;
    for (QWidget* pNext : std::initializer_list<QWidget*>{
             m_buttonSourceAdd, m_buttonSourceAll, m_buttonSourceRemove, m_buttonSourceClear,
             m_tableSourceFile, m_buttonChannelAll, m_buttonChannelNone, m_editDestFolder, pDestSel,
             m_buttonConvert}) {
        setTabOrder(pPrevious, pNext);
        pPrevious = pNext;
    }

    connect(m_buttonSourceAdd, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceAdd);
    connect(m_buttonSourceAll, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceAll);
    connect(m_buttonSourceRemove, &QPushButton::clicked, this,
            &CPolyToMonoPanel::OnButtonSourceRemove);
    connect(m_buttonSourceClear, &QPushButton::clicked, this,
            &CPolyToMonoPanel::OnButtonSourceClear);
    connect(pDestSel, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonDestSel);
    connect(m_buttonConvert, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonConvert);
    connect(m_buttonChannelAll, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonChannelAll);
    connect(m_buttonChannelNone, &QPushButton::clicked, this,
            &CPolyToMonoPanel::OnButtonChannelNone);
    connect(m_matrixSelChannel, &QButtonGroup::idToggled, this,
            [this](int, bool) { OnCheckSelectChannel(); });
    connect(m_tableBwfFile, &QAbstractItemView::activated, this,
            &CPolyToMonoPanel::OnButtonSourceAdd);
    // Any way the selection changes, and a reset, which clears it silently.
    connect(m_tableSourceFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CPolyToMonoPanel::ShowSelectedChannels);
    connect(m_listSourceFile, &QAbstractItemModel::modelReset, this,
            &CPolyToMonoPanel::ShowSelectedChannels);
    for (QAbstractItemView* pTable : {m_tableBwfFile, m_tableSourceFile}) {
        connect(pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &CPolyToMonoPanel::UpdateState);
        connect(pTable->model(), &QAbstractItemModel::modelReset, this,
                &CPolyToMonoPanel::UpdateState);
        connect(pTable->model(), &QAbstractItemModel::rowsInserted, this,
                &CPolyToMonoPanel::UpdateState);
        connect(pTable->model(), &QAbstractItemModel::rowsRemoved, this,
                &CPolyToMonoPanel::UpdateState);
    }

    // Start-up: nothing to convert yet.
    CFolderChooser::ShowFolderName(m_textFolder, tr("Wave files in %1"), QString());
    ShowSelectedChannels();
    UpdateState();
}

QString CPolyToMonoPanel::getOutputFolder() const {
    return m_editDestFolder->text();
}

void CPolyToMonoPanel::setOutputFolder(const QString& folder) {
    m_editDestFolder->setText(folder);
}

bool CPolyToMonoPanel::canAdd() const {
    return m_tableBwfFile->selectionModel()->hasSelection();
}

bool CPolyToMonoPanel::canAddAll() const {
    return m_listBwfFile->getItemCount() > 0;
}

bool CPolyToMonoPanel::canRemove() const {
    return m_listSourceFile->getSelectedItemPosition(m_tableSourceFile->selectionModel()) >= 0;
}

bool CPolyToMonoPanel::canClear() const {
    return m_listSourceFile->getItemCount() > 0;
}

bool CPolyToMonoPanel::canConvert() const {
    return m_listSourceFile->getItemCount() > 0;
}

void CPolyToMonoPanel::UpdateState() {
    m_buttonSourceAdd->setEnabled(canAdd());
    m_buttonSourceAll->setEnabled(canAddAll());
    m_buttonSourceRemove->setEnabled(canRemove());
    m_buttonSourceClear->setEnabled(canClear());
    m_buttonConvert->setEnabled(canConvert());
    emit StateChanged();
}

void CPolyToMonoPanel::SetChannelCount(int count) {
    m_gridSelChannel->SetCellCount(count, [this](int channel) {
        auto* pCheck = new QCheckBox(QString::number(channel));
        pCheck->setAccessibleName(tr("Channel %1").arg(channel));
        m_matrixSelChannel->addButton(pCheck, channel - 1);
        return pCheck;
    });
    QWidget* pPrevious = m_tableSourceFile;
    for (int n = 1; n <= count; ++n) {
        setTabOrder(pPrevious, m_gridSelChannel->GetCell(n));
        pPrevious = m_gridSelChannel->GetCell(n);
    }
    setTabOrder(pPrevious, m_buttonChannelAll);
}

void CPolyToMonoPanel::ShowTrackNames(const QString& path, int count) {
    CTrackMetadata metadata;
    metadata.Read(path.toStdString());
    const auto names = metadata.GetTrackNames(count);
    for (int n = 1; n <= count; ++n) {
        auto* pCheck = static_cast<QAbstractButton*>(m_gridSelChannel->GetCell(n));
        const QString name = QString::fromStdString(names[std::size_t(n - 1)].strName);
        const QString function = QString::fromStdString(names[std::size_t(n - 1)].strFunction);
        // Long names would widen every cell of the grid.
        pCheck->setText(name.isEmpty()
                            ? QString::number(n)
                            : QStringLiteral("%1 %2").arg(n).arg(fontMetrics().elidedText(
                                  name, Qt::ElideRight, fontMetrics().averageCharWidth() * 12)));
        QString tip = tr("Channel %1").arg(n);
        if (!name.isEmpty()) {
            tip += QStringLiteral(": ") + name;
        }
        if (!function.isEmpty()) {
            tip += QStringLiteral(" (%1)").arg(function);
        }
        pCheck->setToolTip(tip);
        pCheck->setAccessibleName(tip);
    }
    m_gridSelChannel->Remeasure();
}

void CPolyToMonoPanel::ShowSelectedChannels() {
    const int row = m_listSourceFile->getSelectedItemPosition(m_tableSourceFile->selectionModel());
    if (row >= 0) {
        tableViewShouldSelectRow(row);
        return;
    }
    SetChannelCount(0);
    m_buttonChannelAll->setEnabled(false);
    m_buttonChannelNone->setEnabled(false);
}

bool CPolyToMonoPanel::bwfFileListEnumItem(const QString& folder) {
    if (folder != m_strDirectoryPath) {
        m_listBwfFile->deleteAllItems();
    }
    m_strDirectoryPath = folder;
    CFolderChooser::ShowFolderName(m_textFolder, tr("Wave files in %1"), folder);
    return m_listBwfFile->setFiles(CWaveScanner::ScanFolder(folder.toStdString()));
}

int CPolyToMonoPanel::AddPaths(const QStringList& paths) {
    // Each folder is read once, whether for all its wave files or some.
    QHash<QString, std::vector<CWaveScanner::_WAVEFILE>> scanned;
    const auto scanOf =
        [&scanned](const QString& folder) -> const std::vector<CWaveScanner::_WAVEFILE>& {
        auto found = scanned.find(folder);
        if (found == scanned.end()) {
            found = scanned.insert(folder, CWaveScanner::ScanFolder(folder.toStdString()));
        }
        return *found;
    };
    int added = 0;
    const auto add = [this, &added](const CWaveScanner::_WAVEFILE& file) {
        const QString filePath = QString::fromStdString(file.strPath);
        if (m_listSourceFile->findItem(filePath) < 0) {
            const QBitArray mask(file.channels, true);
            m_listSourceFile->addItem(QString::fromStdString(file.strFileName), filePath, mask,
                                      mask);
            ++added;
        }
    };
    // In the order given; a folder's files in the folder's order.
    for (const QString& path : paths) {
        const QFileInfo info(QDir::cleanPath(path));
        if (info.isDir()) {
            for (const CWaveScanner::_WAVEFILE& file : scanOf(info.absoluteFilePath())) {
                add(file);
            }
        } else if (CWaveScanner::IsWaveName(info.fileName().toStdString())) {
            for (const CWaveScanner::_WAVEFILE& file : scanOf(info.absolutePath())) {
                if (QString::fromStdString(file.strFileName) == info.fileName()) {
                    add(file);
                }
            }
        }
    }
    return added;
}

void CPolyToMonoPanel::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (!DroppedPaths(pEvent->mimeData()).isEmpty()) {
        pEvent->acceptProposedAction();
    }
}

void CPolyToMonoPanel::dropEvent(QDropEvent* pEvent) {
    const QStringList paths = DroppedPaths(pEvent->mimeData());
    if (!paths.isEmpty()) {
        AddPaths(paths);
        pEvent->acceptProposedAction();
    }
}

void CPolyToMonoPanel::AddRows(bool isSelectedOnly) {
    const QItemSelectionModel* pSelection = m_tableBwfFile->selectionModel();
    int row = isSelectedOnly ? m_listBwfFile->getFirstSelectedItemPosition(pSelection)
                             : (m_listBwfFile->getItemCount() > 0 ? 0 : -1);
    if (isSelectedOnly && row < 0) {
        CAlert::Show(this, tr("Please select wave file first."), QString());
        return;
    }
    while (row >= 0) {
        const QString name = m_listBwfFile->getItemText(row, 1);
        const QString path = QString::fromStdString(m_listBwfFile->GetRow(row).strPath);
        if (m_listSourceFile->findItem(path) < 0) {
            const QBitArray mask = m_listBwfFile->getChannelData(row);
            m_listSourceFile->addItem(name, path, mask, mask);
        }
        if (isSelectedOnly) {
            row = m_listBwfFile->getNextSelectedItemPosition(pSelection, row);
        } else {
            row = row + 1 < m_listBwfFile->getItemCount() ? row + 1 : -1;
        }
    }
}

void CPolyToMonoPanel::OnButtonSourceAdd() {
    AddRows(true);
}

void CPolyToMonoPanel::OnButtonSourceAll() {
    AddRows(false);
}

void CPolyToMonoPanel::OnButtonSourceRemove() {
    const int row = m_listSourceFile->getSelectedItemPosition(m_tableSourceFile->selectionModel());
    if (row < 0) {
        CAlert::Show(this, tr("Please select source file first."), QString());
        return;
    }
    m_listSourceFile->deleteItem(row);
    // The row that took its place, or the new last one, is selected next.
    const int next = std::min(row, m_listSourceFile->getItemCount() - 1);
    if (next >= 0) {
        m_tableSourceFile->selectionModel()->setCurrentIndex(m_listSourceFile->index(next, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
    }
    ShowSelectedChannels();
}

void CPolyToMonoPanel::OnButtonSourceClear() {
    m_listSourceFile->deleteAllItems();
}

void CPolyToMonoPanel::tableViewShouldSelectRow(int row) {
    const QBitArray& enable = m_listSourceFile->getEnableChannelData(row);
    const QBitArray& select = m_listSourceFile->getSelectChannelData(row);
    SetChannelCount(int(enable.size()));
    ShowTrackNames(m_listSourceFile->GetRow(row).strFilePath, int(enable.size()));
    const QSignalBlocker blocker(m_matrixSelChannel);
    for (int tag = 0; tag < enable.size(); ++tag) {
        QAbstractButton* pCheck = m_matrixSelChannel->button(tag);
        pCheck->setEnabled(enable.testBit(tag));
        pCheck->setChecked(tag < select.size() && select.testBit(tag));
    }
    m_buttonChannelAll->setEnabled(true);
    m_buttonChannelNone->setEnabled(true);
}

void CPolyToMonoPanel::OnCheckSelectChannel() {
    const int row = m_listSourceFile->getSelectedItemPosition(m_tableSourceFile->selectionModel());
    if (row < 0) {
        return;
    }
    QBitArray select(m_gridSelChannel->GetCellCount());
    for (int tag = 0; tag < select.size(); ++tag) {
        select.setBit(tag, m_matrixSelChannel->button(tag)->isChecked());
    }
    m_listSourceFile->setSelectChannelData(row, select);
}

void CPolyToMonoPanel::SetAllChannels(bool isChecked) {
    const int row = m_listSourceFile->getSelectedItemPosition(m_tableSourceFile->selectionModel());
    if (row < 0) {
        return;
    }
    const QBitArray& enable = m_listSourceFile->getEnableChannelData(row);
    m_listSourceFile->setSelectChannelData(row, isChecked ? enable : QBitArray(enable.size()));
    tableViewShouldSelectRow(row);
}

void CPolyToMonoPanel::OnButtonChannelAll() {
    SetAllChannels(true);
}

void CPolyToMonoPanel::OnButtonChannelNone() {
    SetAllChannels(false);
}

void CPolyToMonoPanel::OnButtonDestSel() {
    const QString folder = CFolderChooser::Choose(
        this, CFolderChooser::StartFolder(m_editDestFolder->text(), m_strDirectoryPath));
    if (!folder.isNull()) {
        m_editDestFolder->setText(folder);
    }
}

void CPolyToMonoPanel::OnButtonConvert() {
    const QString dest = m_editDestFolder->text();
    if (!CFolderChooser::CheckOutputFolder(this, dest)) {
        return;
    }
    CPolyToMonoJob job;
    job.m_strDestFolder = dest.toStdString();
    for (int row = 0; row < m_listSourceFile->getItemCount(); ++row) {
        const QBitArray& select = m_listSourceFile->getSelectChannelData(row);
        std::vector<int> channels;
        for (int tag = 0; tag < select.size(); ++tag) {
            if (select.testBit(tag)) {
                channels.push_back(tag + 1);
            }
        }
        job.m_arraySource.push_back({m_listSourceFile->GetRow(row).strFileName.toStdString(),
                                     m_listSourceFile->GetRow(row).strFilePath.toStdString(),
                                     std::move(channels)});
    }
    m_pJobRunner->RunModal(
        [job](CJobHost& host, const std::atomic<bool>& isCancel) {
            return job.Run(host, isCancel);
        },
        dest);
    // The run may have written into the listed folder.
    bwfFileListEnumItem(m_strDirectoryPath);
}
