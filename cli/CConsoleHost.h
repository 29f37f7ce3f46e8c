#pragma once

#include "CJobHost.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

// The jobs' host on a terminal: progress texts and errors on the error
// stream, a one-line progress bar when that stream is a terminal, and the
// overwrite question answered by -y/-n or asked on the terminal. A write to
// a closed error stream is dropped: it never ends or changes a run. Safe to
// call from several threads: each line comes out whole.
class CConsoleHost : public CJobHost {
public:
    enum ANSWER { ANSWER_ASK, ANSWER_YES, ANSWER_NO };

    explicit CConsoleHost(ANSWER answer);
    void SetAnswer(ANSWER answer) { m_answer = answer; }

    void SetProgressText(const std::string& title, const std::string& detail) override;
    // Answers false when a signal came while the question waited.
    bool AskOverwrite(const std::string& title, const std::string& message) override;
    // The same with "... and more" more files after those of message.
    bool AskOverwrite(const std::string& title, const std::string& message, std::size_t more);
    void ShowError(const std::string& message) override;
    void SetProgressBytes(uint64_t done, uint64_t total) override;
    // Ends the progress bar line.
    void Finish();
    // Shown after the bar's percentage.
    void SetBarText(const std::string& text);

    // Set by SIGINT, SIGTERM or SIGHUP; the jobs stop at their next block.
    static std::atomic<bool> m_isCancel;
    // 128 + the signal that set m_isCancel (0 before any).
    static std::atomic<int> m_status;
    // The interrupt handler (SIGINT, SIGTERM, SIGHUP; on Windows Ctrl-C,
    // Ctrl-Break and a closed console); a second interrupt while the first
    // is handled ends the process at once with 128 + signal.
    static void InstallInterruptHandler();
    // SIGPIPE ignored: a closed output stream makes writes fail instead of
    // killing the run.
    static void IgnoreBrokenPipe();
    // 128 + the signal received (130 when none was).
    static int InterruptStatus();

    // A name as messages show it: in double quotes, control characters
    // written as \xNN. Escaped is the same without the quotes.
    static std::string Escaped(const std::string& name);
    // One line on the error stream, "kestrawave-cli: " first.
    static void Say(const std::string& line);
    // True when folder is a folder; otherwise says that it does not exist
    // or is not a folder.
    static bool CheckOutputFolder(const std::string& folder);

private:
    void ClearBar();
    void DrawBar();

    std::recursive_mutex m_mutex;
    ANSWER m_answer;
    bool m_isTerminal;
    std::string m_strBarText;
    bool m_isBarShown = false;
    int m_lastPercent = -1;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
};
