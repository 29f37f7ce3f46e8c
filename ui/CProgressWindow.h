#pragma once

#include "CTimeLeft.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdint>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// The modal window of a conversion run. While the run goes on it shows the
// job's title, the take and channels being written, a bar of the bytes done
// with the percentage (a busy bar while the total is unknown), the time left
// once it can be estimated, and Cancel; it cannot be closed. At the end it
// says how the run ended: the files written, their size, the time taken,
// the output folder with "Show in Folder", what a cancel kept and removed,
// and the job's messages in a list that scrolls; Close (or Esc) closes it.
// It runs nothing itself: its slots are fed on the UI thread.
class CProgressWindow : public QDialog {
    Q_OBJECT
public:
    explicit CProgressWindow(QWidget* pParent = nullptr);

    // The running look, for a run writing into outputFolder.
    void Begin(const QString& outputFolder);
    bool isRunning() const { return m_isRunning; }
    // The overwrite question, over this window (COverwriteDialog); the time
    // it waits is left out of the estimate of the time left.
    bool AskOverwrite(const QString& title, const QString& message, bool& isSameForRest);

    // Read by tests and the summary.
    QString getHeadline() const;
    QString getTakeText() const;
    QString getChannelText() const;
    QString getSummaryText() const;
    const QStringList& getErrors() const { return m_arrayError; }
    int getFileCount() const { return m_fileCount; }

signals:
    void CancelClicked();

public slots:
    // title: the job's; detail: "TAKE", "TAKE\tChannel n" or "TAKE\tFinish !".
    void SetProgressText(const QString& title, const QString& detail);
    void SetProgressBytes(quint64 done, quint64 total);
    void AddError(const QString& message);
    void AddFile(const QString& path, quint64 bytes);
    // The run returned result (a JOBRESULT). A run declined at the overwrite
    // question that wrote nothing and had nothing to say closes at once.
    void End(int result);
    void OnButtonCancel();
    void OnButtonShowFolder();

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void reject() override;

private:
    void ShowChannels();
    // The widgets of the end, or those of the run.
    void ShowEnd(bool isEnd);
    QString MakeSummary(int result) const;

    QLabel* m_textHeadline;
    QLabel* m_textTake;
    QLabel* m_textChannel;
    QProgressBar* m_progress;
    // The percentage and the time left.
    QLabel* m_textStatus;
    QLabel* m_textSummary;
    QLabel* m_textErrorTitle;
    QPlainTextEdit* m_editError;
    QPushButton* m_buttonCancel;
    QPushButton* m_buttonShowFolder;
    QPushButton* m_buttonClose;

    bool m_isRunning = false;
    bool m_isCancelled = false;
    QString m_strOutputFolder;
    QElapsedTimer m_timerRun;
    CTimeLeft m_timeLeft;
    // The take of the latest text, and whether its last file is in place.
    QString m_strTake;
    bool m_isTakeFinished = false;
    // The channels of the current pass: announced together before their
    // bytes come.
    std::vector<int> m_arrayChannel;
    bool m_isPassWriting = false;
    int m_fileCount = 0;
    uint64_t m_fileBytes = 0;
    QStringList m_arrayError;
};
