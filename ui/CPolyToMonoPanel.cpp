#include "CPolyToMonoPanel.h"

#include "CAlert.h"
#include "CBwfFile.h"
#include "CBwfFileList.h"
#include "CChannelGrid.h"
#include "CFolderChooser.h"
#include "CJobPath.h"
#include "CProgressWindow.h"
#include "CSourceFileList.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <filesystem>
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

CPolyToMonoPanel::CPolyToMonoPanel(CProgressWindow* pProgress, QWidget* pParent)
    : QWidget(pParent), m_buttonConvert(new QPushButton(tr("Convert"), this)),
      m_dlgProgress(pProgress), m_editDestFolder(new QLineEdit(this)),
      m_listBwfFile(new CBwfFileList(this)), m_listSourceFile(new CSourceFileList(this)),
      m_matrixSelChannel(new QButtonGroup(this)), m_gridSelChannel(new CChannelGrid(this)),
      m_buttonChannelAll(new QPushButton(tr("All"), this)),
      m_buttonChannelNone(new QPushButton(tr("None"), this)) {
    setObjectName(QStringLiteral("PolyToMono"));
    m_tableBwfFile = MakeTable(this, m_listBwfFile, QAbstractItemView::ExtendedSelection);
    m_tableSourceFile = MakeTable(this, m_listSourceFile, QAbstractItemView::SingleSelection);
    m_listBwfFile->setTableView(m_tableBwfFile);
    m_listSourceFile->setTableView(m_tableSourceFile);
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
    pLayout->addWidget(new QLabel(tr("Wave files in the folder"), this));
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
    connect(m_tableSourceFile->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    tableViewShouldSelectRow(current.row());
                }
            });

    // Start-up: nothing to convert yet.
    m_buttonConvert->setEnabled(false);
    ResetChannels();
}

void CPolyToMonoPanel::SetChannelCount(int count) {
    m_gridSelChannel->SetCellCount(count, [this](int channel) {
        auto* pCheck = new QCheckBox(QString::number(channel));
        m_matrixSelChannel->addButton(pCheck, channel - 1);
        return pCheck;
    });
}

void CPolyToMonoPanel::ResetChannels() {
    const int row = m_listSourceFile->getSelectedItemPosition();
    SetChannelCount(row < 0 ? 0 : int(m_listSourceFile->getEnableChannelData(row).size()));
    const QSignalBlocker blocker(m_matrixSelChannel);
    for (QAbstractButton* pCheck : m_matrixSelChannel->buttons()) {
        pCheck->setChecked(false);
        pCheck->setEnabled(false);
    }
    m_buttonChannelAll->setEnabled(false);
    m_buttonChannelNone->setEnabled(false);
}

void CPolyToMonoPanel::bwfFileListEnumItem(const QString& folder) {
    m_strDirectoryPath = folder;
    m_listBwfFile->deleteAllItems();
    ResetChannels();
    std::error_code error;
    std::filesystem::directory_iterator it(folder.toStdString(), error);
    for (; !folder.isEmpty() && !error && it != std::filesystem::directory_iterator();
         it.increment(error)) {
        const QString name = QString::fromStdString(it->path().filename().string());
        const QString extension = QFileInfo(name).suffix();
        if (extension != QLatin1String("wav") && extension != QLatin1String("WAV")) {
            continue;
        }
        const QString path = folder + QLatin1Char('/') + name;
        // Opening a FIFO or a device would block the window.
        CBwfFile file;
        if (!CJobPath::IsRegularFile(path.toStdString()) ||
            !file.OpenFile(path.toStdString().c_str(), true)) {
            continue;
        }
        uint16_t channels = 0;
        uint16_t bits = 0;
        uint32_t rate = 0;
        if (!file.GetFormat(channels, bits, rate)) {
            channels = bits = 0;
            rate = 0;
        }
        uint64_t size = file.GetFileSize();
        file.CloseFile();
        m_listBwfFile->addItem(name, channels, bits, rate, size);
    }
    m_listBwfFile->reloadData();
}

void CPolyToMonoPanel::AddRows(bool isSelectedOnly) {
    int row = isSelectedOnly ? m_listBwfFile->getFirstSelectedItemPosition()
                             : (m_listBwfFile->getItemCount() > 0 ? 0 : -1);
    if (isSelectedOnly && row < 0) {
        CAlert::Show(this, tr("Please select wave file first."), QString());
        return;
    }
    while (row >= 0) {
        const int count = m_listSourceFile->getItemCount();
        const QString name = m_listBwfFile->getItemText(row, 1);
        const QString path = m_strDirectoryPath + QLatin1Char('/') + name;
        bool isListed = false;
        for (int i = 0; i < count && !isListed; ++i) {
            isListed = m_listSourceFile->getItemText(i, 3) == path;
        }
        if (!isListed) {
            const QBitArray& mask = m_listBwfFile->getChannelData(row);
            m_listSourceFile->addItem(QString::number(count + 1), name, path, mask, mask);
        }
        if (isSelectedOnly) {
            row = m_listBwfFile->getNextSelectedItemPosition(row);
        } else {
            row = row + 1 < m_listBwfFile->getItemCount() ? row + 1 : -1;
        }
    }
    m_listSourceFile->reloadData();
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
    const int row = m_listSourceFile->getSelectedItemPosition();
    if (row < 0) {
        CAlert::Show(this, tr("Please select source file first."), QString());
        return;
    }
    m_listSourceFile->deleteItem(row);
    m_listSourceFile->reloadData();
    ResetChannels();
    if (m_listSourceFile->getItemCount() == 0) {
        m_buttonConvert->setEnabled(false);
    }
}

void CPolyToMonoPanel::OnButtonSourceClear() {
    m_listSourceFile->deleteAllItems();
    m_listSourceFile->reloadData();
    ResetChannels();
    m_buttonConvert->setEnabled(false);
}

void CPolyToMonoPanel::tableViewShouldSelectRow(int row) {
    const QBitArray& enable = m_listSourceFile->getEnableChannelData(row);
    const QBitArray& select = m_listSourceFile->getSelectChannelData(row);
    SetChannelCount(int(enable.size()));
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
    const int row = m_listSourceFile->getSelectedItemPosition();
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
    const int row = m_listSourceFile->getSelectedItemPosition();
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
    m_job = CPolyToMonoJob();
    m_job.m_strDestFolder = dest.toStdString();
    for (int row = 0; row < m_listSourceFile->getItemCount(); ++row) {
        const QBitArray& select = m_listSourceFile->getSelectChannelData(row);
        std::vector<int> channels;
        for (int tag = 0; tag < select.size(); ++tag) {
            if (select.testBit(tag)) {
                channels.push_back(tag + 1);
            }
        }
        m_job.m_arraySource.push_back({m_listSourceFile->getItemText(row, 2).toStdString(),
                                       m_listSourceFile->getItemText(row, 3).toStdString(),
                                       std::move(channels)});
    }
    m_isCancel.store(false);
    m_dlgProgress->setProgressWorker(this);
    m_dlgProgress->setLinkCancel(&m_isCancel);
    m_dlgProgress->RunModal();
}

void CPolyToMonoPanel::progressWork() {
    m_job.Run(*m_dlgProgress, m_isCancel);
}
