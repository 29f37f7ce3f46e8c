#pragma once

#include "CJobHost.h"

#include <atomic>
#include <cstdint>
#include <string>

// The jobs' host on a terminal: progress texts and errors on the error
// stream, a one-line progress bar when that stream is a terminal, and the
// overwrite question answered by -y/-n or asked on the terminal.
class CConsoleHost : public CJobHost {
public:
    enum ANSWER { ANSWER_ASK, ANSWER_YES, ANSWER_NO };

    explicit CConsoleHost(ANSWER answer);

    void SetProgressText(const std::string& title, const std::string& detail) override;
    bool AskOverwrite(const std::string& title, const std::string& message) override;
    void ShowError(const std::string& message) override;
    void SetProgressBytes(uint64_t done, uint64_t total) override;
    // Ends the progress bar line.
    void Finish();

    // Set by Ctrl-C; the jobs stop at their next block.
    static std::atomic<bool> m_isCancel;
    static void InstallInterruptHandler();

private:
    void ClearBar();
    void DrawBar();

    ANSWER m_answer;
    bool m_isTerminal;
    bool m_isBarShown = false;
    int m_lastPercent = -1;
    uint64_t m_done = 0;
    uint64_t m_total = 0;
};
