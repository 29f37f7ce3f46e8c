#pragma once

#include "CJobHost.h"
#include "CJobResult.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CProgressWindow;

// Runs one conversion job at a time on a worker thread, behind a progress
// window. It is the job's host: texts, progress, messages and files written
// reach the window by queued signals, in the order the job sends them; the
// overwrite question is asked on the UI thread while the job waits, and a
// ticked "do the same" answers the rest of the run's questions. The window's
// Cancel sets the job's flag. Destroying the runner during a run cancels the
// run, answers a pending question Cancel and waits for the job.
class CJobRunner : public QObject, public CJobHost {
    Q_OBJECT
public:
    using JOB = std::function<JOBRESULT(CJobHost& host, const std::atomic<bool>& isCancel)>;

    // pWindow shows every run; it must outlive the runner (its child, say).
    explicit CJobRunner(CProgressWindow* pWindow, QObject* pParent = nullptr);
    ~CJobRunner() override;

    // Shows the window for a run writing into outputFolder, runs job and
    // returns its result once the window is closed. JOBRESULT_FAILED at once
    // when a run is going on. UI thread only.
    JOBRESULT RunModal(JOB job, const QString& outputFolder);
    bool isRunning() const { return m_thread.joinable(); }
    void Cancel() { m_isCancel.store(true); }

    // The job's host, on the worker thread.
    void SetProgressText(const std::string& title, const std::string& detail) override;
    void SetProgressBytes(uint64_t done, uint64_t total) override;
    bool AskOverwrite(const std::string& title, const std::string& message) override;
    void ShowError(const std::string& message) override;
    void FileWritten(const std::string& path, uint64_t bytes) override;

signals:
    void ProgressText(const QString& title, const QString& detail);
    void ProgressBytes(quint64 done, quint64 total);
    void ErrorShown(const QString& message);
    void FileDone(const QString& path, quint64 bytes);
    // The job has returned and its thread is joined; result is a JOBRESULT.
    void Finished(int result);

private:
    void Finish(JOBRESULT result);

    CProgressWindow* m_pWindow;
    std::thread m_thread;
    std::atomic<bool> m_isCancel{false};
    JOBRESULT m_result = JOBRESULT_DONE;
    // Of the worker thread: when bytes were last reported, and whether a
    // text came since.
    std::chrono::steady_clock::time_point m_timeBytes;
    bool m_isTextSinceBytes = false;

    // The question's answer, handed from the UI thread.
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_isAnswered = false;
    bool m_isAnswerOk = false;
    bool m_isShutdown = false;
    // Set by a ticked "do the same": the answer for the rest of the run.
    bool m_isAnswerKept = false;
};
