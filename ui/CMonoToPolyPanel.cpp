#include "CMonoToPolyPanel.h"

#include "CAlert.h"
#include "CChannelGrid.h"
#include "CFolderChooser.h"
#include "CJobPath.h"
#include "CJobRunner.h"
#include "CMonoToPolyJob.h"
#include "CTakeScanner.h"
#include "CTargetFileList.h"
#include "CTrackMetadata.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char wellStyle[] = "border: 1px solid #555; border-radius: 3px; background: %1;";
const char greenWell[] = "#2ecc40";
const char grayWell[] = "#9a9a9a";

} // namespace

CMonoToPolyPanel::CMonoToPolyPanel(CJobRunner* pRunner, QWidget* pParent)
    : QWidget(pParent), m_buttonConvert(new QPushButton(tr("Convert"), this)),
      m_pJobRunner(pRunner), m_editConvertFile(new QLineEdit(this)),
      m_gridColorWellCh(new CChannelGrid(this)), m_editDestFolder(new QLineEdit(this)),
      m_listTargetFile(new CTargetFileList(this)), m_matrixConvertMode(new QButtonGroup(this)),
      m_tableTargetFile(new QTableView(this)), m_textFolder(new QLabel(this)) {
    setObjectName(QStringLiteral("MonoToPoly"));
    m_tableTargetFile->setModel(m_listTargetFile);
    m_tableTargetFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableTargetFile->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableTargetFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableTargetFile->verticalHeader()->hide();
    m_tableTargetFile->horizontalHeader()->setStretchLastSection(true);
    m_editConvertFile->setReadOnly(true);
    m_editConvertFile->setObjectName(QStringLiteral("ConvertFile"));
    m_editDestFolder->setObjectName(QStringLiteral("DestFolder"));
    m_buttonConvert->setObjectName(QStringLiteral("Convert"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textFolder);
    pLayout->addWidget(m_tableTargetFile, 1);
    auto* pTake = new QHBoxLayout;
    pTake->addWidget(new QLabel(tr("Take"), this));
    pTake->addWidget(m_editConvertFile, 1);
    pLayout->addLayout(pTake);
    auto* pWells = new QHBoxLayout;
    pWells->addWidget(new QLabel(tr("Channels"), this), 0, Qt::AlignTop);
    pWells->addWidget(m_gridColorWellCh, 1);
    pLayout->addLayout(pWells);
    auto* pModes = new QHBoxLayout;
    const QString modeText[3] = {tr("Metadata before the samples"),
                                 tr("Metadata after the samples"),
                                 tr("Metadata after, samples at 4096")};
    for (int tag = 0; tag < 3; ++tag) {
        auto* pRadio = new QRadioButton(modeText[tag], this);
        m_matrixConvertMode->addButton(pRadio, tag);
        pModes->addWidget(pRadio);
    }
    m_matrixConvertMode->button(0)->setChecked(true);
    pModes->addStretch();
    pLayout->addLayout(pModes);
    QPushButton* pDestSel =
        CFolderChooser::AddOutputRows(this, pLayout, m_editDestFolder, m_buttonConvert);

    connect(pDestSel, &QPushButton::clicked, this, &CMonoToPolyPanel::OnButtonDestSel);
    connect(m_buttonConvert, &QPushButton::clicked, this, &CMonoToPolyPanel::OnButtonConvert);
    connect(m_tableTargetFile->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this]() { tableViewSelectionDidChange(); });
    // A reset of the list clears the selection without a selection signal.
    connect(m_listTargetFile, &QAbstractItemModel::modelReset, this,
            [this]() { tableViewSelectionDidChange(); });

    CFolderChooser::ShowFolderName(m_textFolder, tr("Takes in %1"), QString());
    tableViewSelectionDidChange();
}

bool CMonoToPolyPanel::isChannelShown(int n) const {
    return std::binary_search(m_arrayTargetFileChannel.begin(), m_arrayTargetFileChannel.end(), n);
}

void CMonoToPolyPanel::targetFileListEnumItem(const QString& folder) {
    const QString selected = folder == m_strDirectoryPath ? m_editConvertFile->text() : QString();
    m_strDirectoryPath = folder;
    CFolderChooser::ShowFolderName(m_textFolder, tr("Takes in %1"), folder);
    m_listTargetFile->deleteAllItems();
    if (!folder.isEmpty()) {
        for (const std::string& take : CTakeScanner::ScanFolder(folder.toStdString())) {
            m_listTargetFile->addItem(QString::fromStdString(take));
        }
    }
    const int row = selected.isEmpty() ? -1 : m_listTargetFile->findItem(selected);
    if (row >= 0) {
        m_tableTargetFile->selectRow(row);
    }
}

void CMonoToPolyPanel::tableViewSelectionDidChange() {
    m_arrayTargetFileChannel.clear();
    const int row = m_listTargetFile->getSelectedItemPosition(m_tableTargetFile->selectionModel());
    if (row < 0) {
        m_editConvertFile->setText(QString());
        m_buttonConvert->setEnabled(false);
    } else {
        m_buttonConvert->setEnabled(true);
        const QString take = m_listTargetFile->getItemText(row, 1);
        m_arrayTargetFileChannel =
            CTakeScanner::Channels(m_strDirectoryPath.toStdString(), take.toStdString());
        m_editConvertFile->setText(take);
    }
    // Up to the highest channel: a missing one below it is silent in the
    // poly file, and shows gray.
    const int count = m_arrayTargetFileChannel.empty() ? 0 : m_arrayTargetFileChannel.back();
    m_gridColorWellCh->SetCellCount(count, [](int n) {
        auto* pWell = new QLabel(QString::number(n));
        pWell->setAlignment(Qt::AlignCenter);
        pWell->setMinimumSize(24, 18);
        return pWell;
    });
    const std::string take = m_editConvertFile->text().toStdString();
    for (int n = 1; n <= count; ++n) {
        QWidget* pWell = m_gridColorWellCh->GetCell(n);
        pWell->setStyleSheet(QString::fromLatin1(wellStyle).arg(
            QLatin1String(isChannelShown(n) ? greenWell : grayWell)));
        pWell->setToolTip(ChannelTip(take, n));
    }
}

QString CMonoToPolyPanel::ChannelTip(const std::string& take, int n) const {
    if (!isChannelShown(n)) {
        return tr("Channel %1: no mono file, silent").arg(n);
    }
    const std::string path = CJobPath::FindMonoPath(m_strDirectoryPath.toStdString(), take, n);
    CTrackMetadata metadata;
    metadata.Read(path);
    const CTrackMetadata::_TRACKNAME name = metadata.GetMonoTrackName(n);
    QString tip =
        tr("Channel %1: %2").arg(n).arg(QFileInfo(QString::fromStdString(path)).fileName());
    if (!name.strName.empty()) {
        tip += QStringLiteral(", ") + QString::fromStdString(name.strName);
    }
    if (!name.strFunction.empty()) {
        tip += QStringLiteral(" (%1)").arg(QString::fromStdString(name.strFunction));
    }
    return tip;
}

void CMonoToPolyPanel::OnButtonDestSel() {
    const QString folder = CFolderChooser::Choose(this);
    if (!folder.isNull()) {
        m_editDestFolder->setText(folder);
    }
}

void CMonoToPolyPanel::OnButtonConvert() {
    if (m_editConvertFile->text().isEmpty()) {
        CAlert::Show(this, tr("Please select target file first."), QString());
        return;
    }
    const QString dest = m_editDestFolder->text();
    if (!CFolderChooser::CheckOutputFolder(this, dest)) {
        return;
    }
    CMonoToPolyJob job;
    job.m_strTakeName = m_editConvertFile->text().toStdString();
    job.m_arrayChannel = m_arrayTargetFileChannel;
    job.m_strSourceFolder = m_strDirectoryPath.toStdString();
    job.m_strDestFolder = dest.toStdString();
    job.m_convertMode = m_matrixConvertMode->checkedId() < 0 ? 0 : m_matrixConvertMode->checkedId();
    m_pJobRunner->RunModal(
        [job](CJobHost& host, const std::atomic<bool>& isCancel) {
            return job.Run(host, isCancel);
        },
        dest);
    // The run may have written into the listed folder.
    targetFileListEnumItem(m_strDirectoryPath);
}
