#include "CJobRunner.h"

#include "CProgressWindow.h"

#include <QMetaObject>

#include <exception>

namespace {

// More reports than this say nothing a bar can show.
constexpr auto BYTES_INTERVAL = std::chrono::milliseconds(40);

} // namespace

CJobRunner::CJobRunner(CProgressWindow* pWindow, QObject* pParent)
    : QObject(pParent), m_pWindow(pWindow) {
    connect(this, &CJobRunner::ProgressText, pWindow, &CProgressWindow::SetProgressText);
    connect(this, &CJobRunner::ProgressBytes, pWindow, &CProgressWindow::SetProgressBytes);
    connect(this, &CJobRunner::ErrorShown, pWindow, &CProgressWindow::AddError);
    connect(this, &CJobRunner::FileDone, pWindow, &CProgressWindow::AddFile);
    connect(this, &CJobRunner::Finished, pWindow, &CProgressWindow::End);
    connect(pWindow, &CProgressWindow::CancelClicked, this, &CJobRunner::Cancel);
}

CJobRunner::~CJobRunner() {
    if (!m_thread.joinable()) {
        return;
    }
    m_isCancel.store(true);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_isShutdown = true;
    }
    m_condition.notify_all();
    m_thread.join();
}

JOBRESULT CJobRunner::RunModal(JOB job, const QString& outputFolder) {
    if (m_thread.joinable()) {
        return JOBRESULT_FAILED;
    }
    m_isCancel.store(false);
    m_isAnswerKept = false;
    m_timeBytes = {};
    m_pWindow->Begin(outputFolder);
    m_thread = std::thread([this, job = std::move(job)]() {
        JOBRESULT result = JOBRESULT_FAILED;
        // Nothing the job throws may end the program from this thread.
        try {
            result = job(*this, m_isCancel);
        } catch (const std::exception& error) {
            ShowError(std::string("The conversion stopped: ") + error.what());
        } catch (...) {
            ShowError("The conversion stopped on an unknown error.");
        }
        QMetaObject::invokeMethod(
            this, [this, result]() { Finish(result); }, Qt::QueuedConnection);
    });
    // The window closes only after End, which Finish brings.
    m_pWindow->exec();
    return m_result;
}

void CJobRunner::Finish(JOBRESULT result) {
    m_thread.join();
    m_result = result;
    emit Finished(int(result));
}

void CJobRunner::SetProgressText(const std::string& title, const std::string& detail) {
    m_isTextSinceBytes = true;
    emit ProgressText(QString::fromStdString(title), QString::fromStdString(detail));
}

void CJobRunner::SetProgressBytes(uint64_t done, uint64_t total) {
    const auto now = std::chrono::steady_clock::now();
    // The first report after a text tells the window that a pass has begun.
    if (done != 0 && done < total && !m_isTextSinceBytes && now - m_timeBytes < BYTES_INTERVAL) {
        return;
    }
    m_timeBytes = now;
    m_isTextSinceBytes = false;
    emit ProgressBytes(done, total);
}

bool CJobRunner::AskOverwrite(const std::string& title, const std::string& message) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_isAnswerKept) {
        return m_isAnswerOk;
    }
    m_isAnswered = false;
    // Not a blocking call: a runner being destroyed on the UI thread must
    // still be able to wake this thread.
    QMetaObject::invokeMethod(
        this,
        [this, titleText = QString::fromStdString(title),
         messageText = QString::fromStdString(message)]() {
            bool isSameForRest = false;
            const bool isOk = m_pWindow->AskOverwrite(titleText, messageText, isSameForRest);
            const std::lock_guard<std::mutex> answerLock(m_mutex);
            m_isAnswerOk = isOk;
            m_isAnswerKept = isSameForRest;
            m_isAnswered = true;
            m_condition.notify_all();
        },
        Qt::QueuedConnection);
    m_condition.wait(lock, [this]() { return m_isAnswered || m_isShutdown; });
    return m_isAnswered && m_isAnswerOk;
}

void CJobRunner::ShowError(const std::string& message) {
    emit ErrorShown(QString::fromStdString(message));
}

void CJobRunner::FileWritten(const std::string& path, uint64_t bytes) {
    emit FileDone(QString::fromStdString(path), bytes);
}
