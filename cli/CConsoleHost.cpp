#include "CConsoleHost.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>

std::atomic<bool> CConsoleHost::m_isCancel{false};
volatile std::sig_atomic_t CConsoleHost::m_signal = 0;

static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt handler stores the flag");

namespace {

extern "C" void OnInterrupt(int signal) {
    // The first signal is being handled (temporary files being removed):
    // the user wants out now, and only temporary files can remain.
    if (CConsoleHost::m_isCancel.load()) {
        _exit(128 + signal);
    }
    CConsoleHost::m_signal = signal;
    CConsoleHost::m_isCancel.store(true);
}

// Writes to the error stream; a closed one sets its failbit, cleared here so
// that nothing later takes the stream's state for the run's.
void Emit(const std::string& text) {
    std::cerr << text << std::flush;
    std::cerr.clear();
}

// The jobs' texts use CR and CR LF as line breaks and tabs as separators;
// other control characters are escaped.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        line += c == '\t' || c == '\n' || c == '\r' ? std::string(1, c)
                                                    : CConsoleHost::Escaped(std::string(1, c));
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return line;
}

// A line from standard input; empty at its end or once a signal came. The
// wait is cut into short polls so that a signal arriving just before a read
// cannot leave the read blocked.
std::string ReadAnswer() {
    std::string answer;
    while (!CConsoleHost::m_isCancel.load()) {
        pollfd input{0, POLLIN, 0};
        const int ready = poll(&input, 1, 100);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        char c = 0;
        if (ready > 0 && (read(0, &c, 1) != 1 || c == '\n')) {
            break;
        }
        if (ready > 0) {
            answer += c;
        }
    }
    return answer;
}

} // namespace

CConsoleHost::CConsoleHost(ANSWER answer) : m_answer(answer), m_isTerminal(isatty(2) != 0) {}

void CConsoleHost::InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the answer's read returns
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

void CConsoleHost::IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

int CConsoleHost::InterruptStatus() {
    return 128 + (m_signal != 0 ? int(m_signal) : SIGINT);
}

std::string CConsoleHost::Escaped(const std::string& name) {
    const std::string quoted = Quoted(name);
    return quoted.substr(1, quoted.size() - 2);
}

void CConsoleHost::Say(const std::string& line) {
    Emit("kestrawave-cli: " + line + "\n");
}

bool CConsoleHost::CheckOutputFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (std::filesystem::is_directory(status)) {
        return true;
    }
    Say("the output folder " + Quoted(folder) +
        (std::filesystem::exists(status) ? " is not a folder" : " does not exist"));
    return false;
}

void CConsoleHost::ClearBar() {
    if (m_isBarShown) {
        Emit("\r\033[K");
        m_isBarShown = false;
    }
}

void CConsoleHost::DrawBar() {
    if (!m_isTerminal || m_total == 0) {
        return;
    }
    // A source that grew during the run does more than the estimate.
    const uint64_t done = std::min(m_done, m_total);
    const int percent = int(done * 100 / m_total);
    const int width = 40;
    const int filled = int(done * width / m_total);
    Emit("\r[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] " +
         std::to_string(percent) + "%");
    m_isBarShown = true;
    m_lastPercent = percent;
}

void CConsoleHost::SetProgressText(const std::string& title, const std::string& detail) {
    ClearBar();
    Emit(OneLine(title) + ": " + OneLine(detail) + "\n");
    DrawBar();
}

bool CConsoleHost::AskOverwrite(const std::string& title, const std::string& message) {
    ClearBar();
    std::string files;
    std::string::size_type start = 0;
    while (start < message.size()) {
        std::string::size_type end = message.find('\r', start);
        if (end == std::string::npos) {
            end = message.size();
        }
        files += "  " + Quoted(message.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    Emit("These files exist already:\n" + files);
    bool isOk = false;
    if (m_answer == ANSWER_YES) {
        Emit("Overwriting them (-y).\n");
        isOk = true;
    } else if (m_answer == ANSWER_NO) {
        Emit("Leaving them alone (-n).\n");
    } else if (isatty(0) == 0) {
        Emit("Leaving them alone: no terminal to ask on. Use -y to overwrite them.\n");
    } else if (!m_isCancel.load()) {
        Emit(OneLine(title) + " [y/N] ");
        const std::string answer = ReadAnswer();
        isOk =
            answer == "y" || answer == "Y" || answer == "yes" || answer == "ok" || answer == "OK";
        if (m_isCancel.load()) {
            Emit("\n");
        }
    }
    isOk = isOk && !m_isCancel.load();
    DrawBar();
    return isOk;
}

void CConsoleHost::ShowError(const std::string& message) {
    ClearBar();
    Say(OneLine(message));
    DrawBar();
}

void CConsoleHost::SetProgressBytes(uint64_t done, uint64_t total) {
    m_done = done;
    m_total = total;
    if (m_isTerminal && total != 0 && int(std::min(done, total) * 100 / total) != m_lastPercent) {
        DrawBar();
    }
}

void CConsoleHost::Finish() {
    if (m_isBarShown) {
        Emit("\n");
        m_isBarShown = false;
    }
}
