#include "CProgressWindow.h"

#include "CAlert.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

CProgressWindow::CProgressWindow(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_progress(new QProgressBar(this)), m_textOptional(new QLabel(this)),
      m_textProgress(new QLabel(this)), m_buttonCancel(new QPushButton(tr("Cancel"), this)) {
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(QStringLiteral("Kestrawave"));
    setModal(true);
    m_progress->setRange(0, 0); // busy: the jobs' texts say where they are
    m_progress->setTextVisible(false);
    m_textProgress->setMinimumWidth(360);
    m_textOptional->setTextFormat(Qt::PlainText);
    m_textProgress->setTextFormat(Qt::PlainText);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_textProgress);
    pLayout->addWidget(m_textOptional);
    pLayout->addWidget(m_progress);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(m_buttonCancel);
    pLayout->addLayout(pButtons);
    m_buttonCancel->setAutoDefault(false);
    connect(m_buttonCancel, &QPushButton::clicked, this, &CProgressWindow::OnButtonCancel);
}

CProgressWindow::~CProgressWindow() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CProgressWindow::RunModal() {
    exec();
}

template <typename FUNCTION> void CProgressWindow::OnUiThread(FUNCTION f) {
    if (QThread::currentThread() == thread()) {
        f();
    } else {
        QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
    }
}

void CProgressWindow::setProgressText(const QString& title, const QString& optional) {
    // Queued, so that texts appear in the order the job sends them.
    QMetaObject::invokeMethod(
        this,
        [this, title, optional]() {
            m_textProgress->setText(title);
            if (!optional.isNull()) {
                m_textOptional->setText(optional);
            }
        },
        Qt::QueuedConnection);
}

QString CProgressWindow::getProgressText() const {
    return m_textProgress->text();
}

QString CProgressWindow::getOptionalText() const {
    return m_textOptional->text();
}

void CProgressWindow::SetProgressText(const std::string& title, const std::string& detail) {
    QString optional = QString::fromStdString(detail);
    optional.replace(QLatin1Char('\t'), QStringLiteral("    "));
    setProgressText(QString::fromStdString(title), optional);
}

bool CProgressWindow::AskOverwrite(const std::string& title, const std::string& message) {
    bool isOk = false;
    const QString titleText = QString::fromStdString(title);
    // The list of files comes with CR line ends.
    const QString messageText =
        QString::fromStdString(message).replace(QLatin1Char('\r'), QLatin1Char('\n')).trimmed();
    OnUiThread([&]() {
        isOk = CAlert::Show(this, titleText, messageText, {tr("Cancel"), tr("OK")}) == 1;
    });
    return isOk;
}

void CProgressWindow::ShowError(const std::string& message) {
    const QString text = QString::fromStdString(message);
    OnUiThread([&]() { CAlert::Show(this, text, QString()); });
}

void CProgressWindow::progressWork() {
    if (m_idWorker != nullptr) {
        m_idWorker->progressWork();
    }
    QMetaObject::invokeMethod(
        this, [this]() { EndRun(); }, Qt::QueuedConnection);
}

void CProgressWindow::OnButtonCancel() {
    if (m_pIsCancel != nullptr) {
        m_pIsCancel->store(true);
    }
}

void CProgressWindow::showEvent(QShowEvent* pEvent) {
    QDialog::showEvent(pEvent);
    // Armed once per run: showing the window again during a run (after an
    // alert, say) starts nothing.
    if (!m_isStart) {
        return;
    }
    m_isStart = false;
    m_progress->setRange(0, 0);
    m_thread = std::thread(&CProgressWindow::progressWork, this);
}

void CProgressWindow::EndRun() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_progress->setRange(0, 1);
    m_isStart = true;
    m_isClosing = true;
    accept();
    m_isClosing = false;
}

void CProgressWindow::closeEvent(QCloseEvent* pEvent) {
    if (!m_isClosing) {
        pEvent->ignore();
        return;
    }
    QDialog::closeEvent(pEvent);
}

void CProgressWindow::reject() {
    if (m_isClosing) {
        QDialog::reject();
    }
}
