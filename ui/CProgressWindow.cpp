#include "CProgressWindow.h"

#include "CChannelText.h"
#include "CJobResult.h"
#include "COverwriteDialog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int BAR_STEPS = 1000;

double Seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

QString Duration(double seconds) {
    const qint64 whole = qint64(std::llround(seconds));
    if (whole < 60) {
        return QObject::tr("%1 s").arg(whole);
    }
    if (whole < 3600) {
        return QObject::tr("%1 min %2 s").arg(whole / 60).arg(whole % 60);
    }
    return QObject::tr("%1 h %2 min").arg(whole / 3600).arg(whole / 60 % 60);
}

// Rounded so that the figure moves in readable steps.
QString TimeLeftText(double seconds) {
    if (seconds < 0) {
        return QObject::tr("Estimating the time left...");
    }
    if (seconds < 10) {
        return QObject::tr("A few seconds left");
    }
    if (seconds < 60) {
        return QObject::tr("About %1 s left").arg(std::lround(seconds / 5) * 5);
    }
    if (seconds < 3600) {
        return QObject::tr("About %1 min left").arg(std::max(1L, std::lround(seconds / 60)));
    }
    const long minutes = std::lround(seconds / 60);
    return QObject::tr("About %1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

QString Files(int count) {
    return count == 1 ? QObject::tr("1 file") : QObject::tr("%1 files").arg(count);
}

QString Size(uint64_t bytes) {
    return QLocale().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeSIFormat);
}

} // namespace

CProgressWindow::CProgressWindow(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_textHeadline(new QLabel(this)), m_textTake(new QLabel(this)),
      m_textChannel(new QLabel(this)), m_progress(new QProgressBar(this)),
      m_textStatus(new QLabel(this)), m_textSummary(new QLabel(this)),
      m_textErrorTitle(new QLabel(this)), m_editError(new QPlainTextEdit(this)),
      m_buttonCancel(new QPushButton(tr("Cancel"), this)),
      m_buttonShowFolder(new QPushButton(tr("Show in Folder"), this)),
      m_buttonClose(new QPushButton(tr("Close"), this)) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(QStringLiteral("Kestrawave"));
    setModal(true);
    setMinimumWidth(480);
    QFont headline = m_textHeadline->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.15);
    m_textHeadline->setFont(headline);
    for (QLabel* pLabel : {m_textHeadline, m_textTake, m_textChannel, m_textStatus, m_textSummary,
                           m_textErrorTitle}) {
        pLabel->setTextFormat(Qt::PlainText);
    }
    m_textSummary->setWordWrap(true);
    m_textSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progress->setRange(0, BAR_STEPS);
    // Not every style draws a bar's text: the percentage goes in the status line.
    m_progress->setTextVisible(false);
    m_editError->setReadOnly(true);
    m_editError->setWordWrapMode(QTextOption::WordWrap);
    m_editError->setMinimumHeight(m_editError->fontMetrics().lineSpacing() * 5);
    m_textHeadline->setObjectName(QStringLiteral("Headline"));
    m_progress->setObjectName(QStringLiteral("ProgressBar"));
    m_textStatus->setObjectName(QStringLiteral("Status"));
    m_textSummary->setObjectName(QStringLiteral("Summary"));
    m_editError->setObjectName(QStringLiteral("Errors"));
    m_buttonCancel->setObjectName(QStringLiteral("Cancel"));
    m_buttonShowFolder->setObjectName(QStringLiteral("ShowInFolder"));
    m_buttonClose->setObjectName(QStringLiteral("Close"));

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textHeadline);
    pLayout->addWidget(m_textTake);
    pLayout->addWidget(m_textChannel);
    pLayout->addWidget(m_progress);
    pLayout->addWidget(m_textStatus);
    pLayout->addWidget(m_textSummary);
    pLayout->addWidget(m_textErrorTitle);
    pLayout->addWidget(m_editError, 1);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    for (QPushButton* pButton : {m_buttonShowFolder, m_buttonClose, m_buttonCancel}) {
        pButton->setAutoDefault(false);
        pButtons->addWidget(pButton);
    }
    pLayout->addLayout(pButtons);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CProgressWindow::OnButtonCancel);
    connect(m_buttonShowFolder, &QPushButton::clicked, this, &CProgressWindow::OnButtonShowFolder);
    connect(m_buttonClose, &QPushButton::clicked, this, &QDialog::accept);
    Begin(QString());
    m_isRunning = false; // the look of a run, but none yet
}

void CProgressWindow::Begin(const QString& outputFolder) {
    m_isRunning = true;
    m_isCancelled = false;
    m_strOutputFolder = outputFolder;
    m_strTake.clear();
    m_isTakeFinished = false;
    m_arrayChannel.clear();
    m_isPassWriting = false;
    m_fileCount = 0;
    m_fileBytes = 0;
    m_arrayError.clear();
    m_timerRun.start();
    m_timeLeft.Start(0);

    m_textHeadline->setText(tr("Converting"));
    m_textTake->clear();
    m_textChannel->clear();
    m_progress->setRange(0, 0); // busy until a total is known
    m_progress->setValue(0);
    m_textStatus->clear();
    m_editError->clear();
    m_buttonCancel->setText(tr("Cancel"));
    m_buttonCancel->setEnabled(true);
    ShowEnd(false);
    m_textErrorTitle->hide();
    m_editError->hide();
    adjustSize();
}

bool CProgressWindow::AskOverwrite(const QString& title, const QString& message,
                                   bool& isSameForRest) {
    QElapsedTimer waited;
    waited.start();
    const bool isOk = COverwriteDialog::Ask(this, title, message, isSameForRest);
    m_timeLeft.Skip(Seconds(waited));
    return isOk;
}

QString CProgressWindow::getHeadline() const {
    return m_textHeadline->text();
}

QString CProgressWindow::getTakeText() const {
    return m_textTake->text();
}

QString CProgressWindow::getChannelText() const {
    return m_textChannel->text();
}

QString CProgressWindow::getSummaryText() const {
    return m_textSummary->text();
}

void CProgressWindow::SetProgressText(const QString& title, const QString& detail) {
    if (!title.isEmpty()) {
        m_textHeadline->setText(title);
    }
    const qsizetype tab = detail.indexOf(QLatin1Char('\t'));
    const QString take = detail.left(tab);
    const QString step = tab < 0 ? QString() : detail.mid(tab + 1);
    if (take != m_strTake) {
        m_strTake = take;
        m_arrayChannel.clear();
        m_isPassWriting = false;
    }
    m_isTakeFinished = step.startsWith(QLatin1String("Finish"));
    m_textTake->setText(take.isEmpty() ? QString() : tr("Take: %1").arg(take));
    if (step.startsWith(QLatin1String("Channel "))) {
        // The channels of one pass are named one after another before any
        // of their bytes: together they are what is being written.
        if (m_isPassWriting) {
            m_arrayChannel.clear();
            m_isPassWriting = false;
        }
        m_arrayChannel.push_back(step.mid(8).toInt());
        ShowChannels();
    } else if (m_isTakeFinished) {
        m_arrayChannel.clear();
        m_textChannel->setText(tr("Finished"));
    } else {
        m_textChannel->clear();
    }
}

void CProgressWindow::ShowChannels() {
    std::vector<int> arrayChannel = m_arrayChannel;
    std::sort(arrayChannel.begin(), arrayChannel.end());
    m_textChannel->setText(
        (arrayChannel.size() == 1 ? tr("Writing channel %1") : tr("Writing channels %1"))
            .arg(CChannelText::Ranges(arrayChannel)));
}

void CProgressWindow::SetProgressBytes(quint64 done, quint64 total) {
    m_isPassWriting = !m_arrayChannel.empty();
    m_timeLeft.Update(done, total, Seconds(m_timerRun));
    if (total == 0) {
        m_progress->setRange(0, 0);
        m_textStatus->clear();
        return;
    }
    m_progress->setRange(0, BAR_STEPS);
    m_progress->setValue(int(double(std::min(done, total)) * BAR_STEPS / double(total)));
    const QString percent = QStringLiteral("%1 %").arg(m_progress->value() / (BAR_STEPS / 100));
    m_textStatus->setText(done >= total ? percent
                                        : percent + QStringLiteral("   ") +
                                              TimeLeftText(m_timeLeft.GetSecondsLeft()));
}

void CProgressWindow::AddError(const QString& message) {
    m_arrayError << message;
    m_editError->appendPlainText(QStringLiteral("\u2022 ") + message);
    m_textErrorTitle->setText(tr("Messages (%1)").arg(m_arrayError.size()));
    if (m_editError->isHidden()) {
        m_textErrorTitle->show();
        m_editError->show();
        adjustSize();
    }
}

void CProgressWindow::AddFile(const QString&, quint64 bytes) {
    ++m_fileCount;
    m_fileBytes += bytes;
}

void CProgressWindow::End(int result) {
    m_isRunning = false;
    if (result == JOBRESULT_DECLINED && m_fileCount == 0 && m_arrayError.isEmpty()) {
        accept();
        return;
    }
    switch (result) {
    case JOBRESULT_DONE:
        m_textHeadline->setText(tr("Done"));
        break;
    case JOBRESULT_FAILED:
        m_textHeadline->setText(tr("Finished with problems"));
        break;
    case JOBRESULT_DECLINED:
        m_textHeadline->setText(tr("Stopped"));
        break;
    default:
        m_textHeadline->setText(tr("Cancelled"));
        break;
    }
    m_textSummary->setText(MakeSummary(result));
    ShowEnd(true);
    m_buttonShowFolder->setEnabled(QFileInfo(m_strOutputFolder).isDir());
    m_buttonClose->setDefault(true);
    m_buttonClose->setFocus();
    if (m_progress->maximum() == 0) {
        m_progress->setRange(0, BAR_STEPS); // a busy bar would go on moving
        m_progress->setValue(result == JOBRESULT_DONE ? BAR_STEPS : 0);
    }
    adjustSize();
}

void CProgressWindow::ShowEnd(bool isEnd) {
    const std::initializer_list<QWidget*> running = {m_textTake, m_textChannel, m_textStatus,
                                                     m_buttonCancel};
    const std::initializer_list<QWidget*> ended = {m_textSummary, m_buttonShowFolder,
                                                   m_buttonClose};
    for (QWidget* pWidget : running) {
        pWidget->setVisible(!isEnd);
    }
    for (QWidget* pWidget : ended) {
        pWidget->setVisible(isEnd);
    }
}

QString CProgressWindow::MakeSummary(int result) const {
    QStringList lines;
    lines << (m_fileCount == 0
                  ? tr("Files written: none")
                  : tr("Files written: %1 (%2)").arg(m_fileCount).arg(Size(m_fileBytes)));
    lines << tr("Time taken: %1").arg(Duration(Seconds(m_timerRun)));
    lines << tr("Output folder: %1").arg(m_strOutputFolder);
    const bool isTakeOpen = !m_strTake.isEmpty() && !m_isTakeFinished;
    if (result == JOBRESULT_CANCELLED) {
        // The jobs put a file in place only once it is complete.
        lines << (m_fileCount == 0
                      ? tr("Kept: nothing; no file was complete.")
                      : tr("Kept: the %1 completed before the cancel.").arg(Files(m_fileCount)));
        if (isTakeOpen) {
            lines << tr("Removed: the unfinished files of take %1. Files that were already at "
                        "their names are as they were.")
                         .arg(m_strTake);
        }
    } else if (result == JOBRESULT_DECLINED) {
        lines << tr("Not overwritten: the files of take %1 and those after it were not written.")
                     .arg(m_strTake);
    }
    return lines.join(QLatin1Char('\n'));
}

void CProgressWindow::OnButtonCancel() {
    if (!m_isRunning || m_isCancelled) {
        return;
    }
    m_isCancelled = true;
    m_buttonCancel->setText(tr("Cancelling..."));
    m_buttonCancel->setEnabled(false);
    emit CancelClicked();
}

void CProgressWindow::OnButtonShowFolder() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_strOutputFolder));
}

void CProgressWindow::closeEvent(QCloseEvent* pEvent) {
    if (m_isRunning) {
        pEvent->ignore();
        return;
    }
    QDialog::closeEvent(pEvent);
}

void CProgressWindow::reject() {
    if (!m_isRunning) {
        QDialog::reject();
    }
}
