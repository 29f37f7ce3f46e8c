#include "CMonoToPolyPanel.h"

#include "CAlert.h"
#include "CChannelGrid.h"
#include "CElidedLabel.h"
#include "CFolderChooser.h"
#include "CJobPath.h"
#include "CJobRunner.h"
#include "CMonoToPolyJob.h"
#include "CTakeScanner.h"
#include "CTargetFileList.h"
#include "CTrackMetadata.h"

#include <QButtonGroup>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Flat chips, no border or bevel: they show, they cannot be pressed.
const char presentStyle[] = "QLabel { background: #2e9e44; color: white; border-radius: 2px; }";
const char missingStyle[] = "QLabel { background: transparent; color: #808080; "
                            "border: 1px dashed #a0a0a0; border-radius: 2px; }";

// The first local path of a drag: a folder, or a file whose folder is meant.
QString DroppedPath(const QMimeData* pData) {
    for (const QUrl& url : pData->urls()) {
        if (url.isLocalFile() && QFileInfo::exists(url.toLocalFile())) {
            return QDir::cleanPath(url.toLocalFile());
        }
    }
    return QString();
}

} // namespace

CMonoToPolyPanel::CMonoToPolyPanel(CJobRunner* pRunner, QWidget* pParent)
    : QWidget(pParent), m_buttonConvert(new QPushButton(tr("&Convert"), this)),
      m_pJobRunner(pRunner), m_editConvertFile(new QLineEdit(this)),
      m_gridColorWellCh(new CChannelGrid(this)), m_editDestFolder(new QLineEdit(this)),
      m_listTargetFile(new CTargetFileList(this)), m_matrixConvertMode(new QButtonGroup(this)),
      m_tableTargetFile(new QTableView(this)), m_textFolder(new CElidedLabel(this)) {
    setObjectName(QStringLiteral("MonoToPoly"));
    setAcceptDrops(true);
    m_tableTargetFile->setObjectName(QStringLiteral("TargetFileTable"));
    m_tableTargetFile->setModel(m_listTargetFile);
    m_tableTargetFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableTargetFile->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableTargetFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableTargetFile->setTextElideMode(Qt::ElideMiddle);
    m_tableTargetFile->setTabKeyNavigation(false);
    m_tableTargetFile->setAccessibleName(tr("Takes"));
    m_tableTargetFile->verticalHeader()->hide();
    m_tableTargetFile->verticalHeader()->setDefaultSectionSize(
        m_tableTargetFile->fontMetrics().height() + 8);
    m_tableTargetFile->horizontalHeader()->setStretchLastSection(true);
    m_tableTargetFile->horizontalHeader()->setHighlightSections(false);
    m_tableTargetFile->horizontalHeader()->setSortIndicatorClearable(true);
    m_tableTargetFile->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_tableTargetFile->setSortingEnabled(true);
    // Shown, not typed into: it follows the selected take.
    m_editConvertFile->setReadOnly(true);
    m_editConvertFile->setFrame(false);
    m_editConvertFile->setFocusPolicy(Qt::ClickFocus);
    m_editConvertFile->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    m_editConvertFile->setPlaceholderText(tr("Select a take above"));
    m_editConvertFile->setAccessibleName(tr("Take"));
    m_editConvertFile->setObjectName(QStringLiteral("ConvertFile"));
    m_editDestFolder->setObjectName(QStringLiteral("DestFolder"));
    m_buttonConvert->setObjectName(QStringLiteral("Convert"));
    m_buttonConvert->setToolTip(tr("Merge the take's mono files into one poly file (Ctrl+Return)"));
    m_gridColorWellCh->setAccessibleName(tr("Channels of the take"));
    m_textFolder->setObjectName(QStringLiteral("FolderLabel"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textFolder);
    pLayout->addWidget(m_tableTargetFile, 1);
    auto* pTake = new QHBoxLayout;
    pTake->addWidget(new QLabel(tr("Take:"), this));
    pTake->addWidget(m_editConvertFile, 1);
    pLayout->addLayout(pTake);
    auto* pWells = new QHBoxLayout;
    pWells->addWidget(new QLabel(tr("Channels"), this), 0, Qt::AlignTop);
    pWells->addWidget(m_gridColorWellCh, 1);
    pLayout->addLayout(pWells);

    auto* pModes = new QGroupBox(tr("Poly file &layout"), this);
    pModes->setObjectName(QStringLiteral("ConvertMode"));
    const QString modeText[3] = {tr("Metadata &before the samples"),
                                 tr("Metadata &after the samples"),
                                 tr("Metadata after, samples at &4096")};
    const QString modeTip[3] = {
        tr("The metadata chunks (bext, iXML, ...) come before the samples; the samples start "
           "at byte 32768."),
        tr("The metadata chunks come after the samples; the samples start at byte 32768; no "
           "iXML chunk is written."),
        tr("As \"Metadata after the samples\", with the samples starting at byte 4096.")};
    auto* pModeLayout = new QVBoxLayout(pModes);
    for (int tag = 0; tag < 3; ++tag) {
        auto* pRadio = new QRadioButton(modeText[tag], pModes);
        pRadio->setObjectName(QStringLiteral("ConvertMode%1").arg(tag));
        pRadio->setToolTip(modeTip[tag]);
        m_matrixConvertMode->addButton(pRadio, tag);
        pModeLayout->addWidget(pRadio);
    }
    pModes->setToolTip(QStringLiteral("<p>%1</p><p>%2</p><p>%3</p>")
                           .arg(modeTip[0].toHtmlEscaped(), modeTip[1].toHtmlEscaped(),
                                modeTip[2].toHtmlEscaped()));
    m_matrixConvertMode->button(0)->setChecked(true);
    pLayout->addWidget(pModes);
    QPushButton* pDestSel =
        CFolderChooser::AddOutputRows(this, pLayout, m_editDestFolder, m_buttonConvert);

    QWidget* pPrevious = m_tableTargetFile;
    for (QWidget* pNext : std::initializer_list<QWidget*>{
             m_matrixConvertMode->button(0), m_matrixConvertMode->button(1),
             m_matrixConvertMode->button(2), m_editDestFolder, pDestSel, m_buttonConvert}) {
        setTabOrder(pPrevious, pNext);
        pPrevious = pNext;
    }

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

QString CMonoToPolyPanel::getOutputFolder() const {
    return m_editDestFolder->text();
}

void CMonoToPolyPanel::setOutputFolder(const QString& folder) {
    m_editDestFolder->setText(folder);
}

bool CMonoToPolyPanel::canConvert() const {
    return !m_editConvertFile->text().isEmpty();
}

void CMonoToPolyPanel::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (!DroppedPath(pEvent->mimeData()).isEmpty()) {
        pEvent->acceptProposedAction();
    }
}

void CMonoToPolyPanel::dropEvent(QDropEvent* pEvent) {
    const QString path = DroppedPath(pEvent->mimeData());
    if (path.isEmpty()) {
        return;
    }
    pEvent->acceptProposedAction();
    const QFileInfo info(path);
    emit FolderDropped(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
    if (!info.isDir()) {
        const int row = m_listTargetFile->findItem(
            QString::fromStdString(CTakeScanner::TakeNameOf(info.fileName().toStdString())));
        if (row >= 0) {
            m_tableTargetFile->selectRow(row);
        }
    }
}

bool CMonoToPolyPanel::isChannelShown(int n) const {
    return std::binary_search(m_arrayTargetFileChannel.begin(), m_arrayTargetFileChannel.end(), n);
}

bool CMonoToPolyPanel::targetFileListEnumItem(const QString& folder) {
    if (folder != m_strDirectoryPath) {
        m_listTargetFile->deleteAllItems();
    }
    m_strDirectoryPath = folder;
    CFolderChooser::ShowFolderName(m_textFolder, tr("Takes in %1"), folder);
    QStringList takes;
    if (!folder.isEmpty()) {
        for (const std::string& take : CTakeScanner::ScanFolder(folder.toStdString())) {
            takes << QString::fromStdString(take);
        }
    }
    const bool isChanged = m_listTargetFile->setTakes(takes);
    // The selected take's monos may have come or gone.
    tableViewSelectionDidChange();
    return isChanged;
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
        pWell->setMinimumSize(28, 18);
        pWell->setFocusPolicy(Qt::NoFocus);
        return pWell;
    });
    const std::string take = m_editConvertFile->text().toStdString();
    for (int n = 1; n <= count; ++n) {
        QWidget* pWell = m_gridColorWellCh->GetCell(n);
        pWell->setStyleSheet(QLatin1String(isChannelShown(n) ? presentStyle : missingStyle));
        pWell->setToolTip(ChannelTip(take, n));
        pWell->setAccessibleName(pWell->toolTip());
    }
    emit StateChanged();
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
    const QString folder = CFolderChooser::Choose(
        this, CFolderChooser::StartFolder(m_editDestFolder->text(), m_strDirectoryPath));
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
