#pragma once

#include "CJobHost.h"
#include "CProgressWorker.h"

#include <QDialog>

#include <atomic>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

// The modal window behind which every conversion runs. RunModal shows it;
// when it is first shown in a run it starts one worker thread that runs the
// worker's progressWork. The job's texts, questions and messages reach the
// window from that thread and are shown on the UI thread in call order; the
// window closes only after the job has returned, and the thread is joined
// before RunModal returns. The window has no close control and ignores Esc:
// only the end of the job closes it. Cancel sets the linked flag.
class CProgressWindow : public QDialog, public CProgressWorker, public CJobHost {
    Q_OBJECT
public:
    explicit CProgressWindow(QWidget* pParent = nullptr);
    ~CProgressWindow() override;

    void setProgressWorker(CProgressWorker* pWorker) { m_idWorker = pWorker; }
    void setLinkCancel(std::atomic<bool>* pIsCancel) { m_pIsCancel = pIsCancel; }
    // Returns when the job has returned and the window has closed.
    void RunModal();

    // From any thread; null detail keeps the detail line.
    void setProgressText(const QString& title, const QString& optional);
    QString getProgressText() const;
    QString getOptionalText() const;
    bool isRunning() const { return !m_isStart; }

    // The job's host; called on the worker thread.
    void SetProgressText(const std::string& title, const std::string& detail) override;
    bool AskOverwrite(const std::string& title, const std::string& message) override;
    void ShowError(const std::string& message) override;

    // The worker thread's body.
    void progressWork() override;

public slots:
    void OnButtonCancel();

protected:
    void showEvent(QShowEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void reject() override;

private:
    // Runs f on the UI thread and waits for it.
    template <typename FUNCTION> void OnUiThread(FUNCTION f);
    void EndRun();

    QProgressBar* m_progress;
    QLabel* m_textOptional;
    QLabel* m_textProgress;
    QPushButton* m_buttonCancel;
    std::atomic<bool>* m_pIsCancel = nullptr;
    bool m_isStart = true;
    CProgressWorker* m_idWorker = nullptr;
    std::thread m_thread;
    bool m_isClosing = false;
};
