#include "CPolyToMonoPanel.h"

#include "CAlert.h"
#include "CBwfFileList.h"
#include "CChannelGrid.h"
#include "CFolderChooser.h"
#include "CJobRunner.h"
#include "CPolyToMonoJob.h"
#include "CSourceFileList.h"
#include "CTrackMetadata.h"
#include "CWaveScanner.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QTableView* MakeTable(QWidget* pParent, QAbstractItemModel* pModel,
                      QAbstractItemView::SelectionMode mode) {
    auto* pTable = new QTableView(pParent);
    pTable->setModel(pModel);
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->setSelectionMode(mode);
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pTable->verticalHeader()->hide();
    pTable->horizontalHeader()->setStretchLastSection(true);
    return pTable;
}

} // namespace

CPolyToMonoPanel::CPolyToMonoPanel(CJobRunner* pRunner, QWidget* pParent)
    : QWidget(pParent), m_buttonConvert(new QPushButton(tr("Convert"), this)),
      m_pJobRunner(pRunner), m_editDestFolder(new QLineEdit(this)),
      m_listBwfFile(new CBwfFileList(this)), m_listSourceFile(new CSourceFileList(this)),
      m_matrixSelChannel(new QButtonGroup(this)), m_gridSelChannel(new CChannelGrid(this)),
      m_buttonChannelAll(new QPushButton(tr("All"), this)),
      m_buttonChannelNone(new QPushButton(tr("None"), this)), m_textFolder(new QLabel(this)) {
    setObjectName(QStringLiteral("PolyToMono"));
    m_tableBwfFile = MakeTable(this, m_listBwfFile, QAbstractItemView::ExtendedSelection);
    m_tableSourceFile = MakeTable(this, m_listSourceFile, QAbstractItemView::SingleSelection);
    m_matrixSelChannel->setExclusive(false);

    auto* pAdd = new QPushButton(tr("Add"), this);
    auto* pAll = new QPushButton(tr("Add All"), this);
    auto* pRemove = new QPushButton(tr("Remove"), this);
    auto* pClear = new QPushButton(tr("Clear"), this);
    pAdd->setObjectName(QStringLiteral("SourceAdd"));
    pAll->setObjectName(QStringLiteral("SourceAll"));
    pRemove->setObjectName(QStringLiteral("SourceRemove"));
    pClear->setObjectName(QStringLiteral("SourceClear"));
    m_buttonConvert->setObjectName(QStringLiteral("Convert"));
    m_editDestFolder->setObjectName(QStringLiteral("DestFolder"));
    m_buttonChannelAll->setObjectName(QStringLiteral("ChannelAll"));
    m_buttonChannelNone->setObjectName(QStringLiteral("ChannelNone"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textFolder);
    pLayout->addWidget(m_tableBwfFile, 1);
    auto* pMoves = new QHBoxLayout;
    for (QPushButton* pButton : {pAdd, pAll, pRemove, pClear}) {
        pMoves->addWidget(pButton);
    }
    pMoves->addStretch();
    pLayout->addLayout(pMoves);
    pLayout->addWidget(new QLabel(tr("Files to convert"), this));
    pLayout->addWidget(m_tableSourceFile, 1);
    auto* pChannels = new QHBoxLayout;
    pChannels->addWidget(new QLabel(tr("Channels"), this), 0, Qt::AlignTop);
    pChannels->addWidget(m_gridSelChannel, 1);
    pChannels->addWidget(m_buttonChannelAll, 0, Qt::AlignTop);
    pChannels->addWidget(m_buttonChannelNone, 0, Qt::AlignTop);
    pLayout->addLayout(pChannels);
    QPushButton* pDestSel =
        CFolderChooser::AddOutputRows(this, pLayout, m_editDestFolder, m_buttonConvert);

    connect(pAdd, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceAdd);
    connect(pAll, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceAll);
    connect(pRemove, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceRemove);
    connect(pClear, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonSourceClear);
    connect(pDestSel, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonDestSel);
    connect(m_buttonConvert, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonConvert);
    connect(m_buttonChannelAll, &QPushButton::clicked, this, &CPolyToMonoPanel::OnButtonChannelAll);
    connect(m_buttonChannelNone, &QPushButton::clicked, this,
            &CPolyToMonoPanel::OnButtonChannelNone);
    connect(m_matrixSelChannel, &QButtonGroup::idToggled, this,
            [this](int, bool) { OnCheckSelectChannel(); });
    // Any way the selection changes, and a reset, which clears it silently.
    connect(m_tableSourceFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CPolyToMonoPanel::ShowSelectedChannels);
    connect(m_listSourceFile, &QAbstractItemModel::modelReset, this,
            &CPolyToMonoPanel::ShowSelectedChannels);

    // Start-up: nothing to convert yet.
    CFolderChooser::ShowFolderName(m_textFolder, tr("Wave files in %1"), QString());
    m_buttonConvert->setEnabled(false);
    ShowSelectedChannels();
}

void CPolyToMonoPanel::SetChannelCount(int count) {
    m_gridSelChannel->SetCellCount(count, [this](int channel) {
        auto* pCheck = new QCheckBox(QString::number(channel));
        m_matrixSelChannel->addButton(pCheck, channel - 1);
        return pCheck;
    });
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

void CPolyToMonoPanel::bwfFileListEnumItem(const QString& folder) {
    QSet<QString> selectedNames;
    if (folder == m_strDirectoryPath) {
        for (const QModelIndex& index : m_tableBwfFile->selectionModel()->selectedRows()) {
            selectedNames.insert(m_listBwfFile->getItemText(index.row(), 1));
        }
    }
    m_strDirectoryPath = folder;
    CFolderChooser::ShowFolderName(m_textFolder, tr("Wave files in %1"), folder);
    m_listBwfFile->deleteAllItems();
    QItemSelection selection;
    for (const CWaveScanner::_WAVEFILE& file : CWaveScanner::ScanFolder(folder.toStdString())) {
        m_listBwfFile->addItem(file);
        const int row = m_listBwfFile->getItemCount() - 1;
        if (selectedNames.contains(m_listBwfFile->getItemText(row, 1))) {
            selection.select(m_listBwfFile->index(row, 0),
                             m_listBwfFile->index(row, m_listBwfFile->columnCount() - 1));
        }
    }
    m_tableBwfFile->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
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
    if (m_listSourceFile->getItemCount() > 0) {
        m_buttonConvert->setEnabled(true);
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
    if (m_listSourceFile->getItemCount() == 0) {
        m_buttonConvert->setEnabled(false);
    }
}

void CPolyToMonoPanel::OnButtonSourceClear() {
    m_listSourceFile->deleteAllItems();
    m_buttonConvert->setEnabled(false);
}

void CPolyToMonoPanel::tableViewShouldSelectRow(int row) {
    const QBitArray& enable = m_listSourceFile->getEnableChannelData(row);
    const QBitArray& select = m_listSourceFile->getSelectChannelData(row);
    SetChannelCount(int(enable.size()));
    ShowTrackNames(m_listSourceFile->getItemText(row, 3), int(enable.size()));
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
    const QString folder = CFolderChooser::Choose(this);
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
        job.m_arraySource.push_back({m_listSourceFile->getItemText(row, 2).toStdString(),
                                     m_listSourceFile->getItemText(row, 3).toStdString(),
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
