#include "CConsoleHost.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

std::atomic<bool> CConsoleHost::m_isCancel{false};

static_assert(std::atomic<bool>::is_always_lock_free, "the interrupt handler stores the flag");

namespace {

extern "C" void OnInterrupt(int) {
    CConsoleHost::m_isCancel.store(true);
}

// The jobs' texts use CR and CR LF as line breaks and tabs as separators.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        line += c == '\t' ? ' ' : c;
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

} // namespace

CConsoleHost::CConsoleHost(ANSWER answer) : m_answer(answer), m_isTerminal(isatty(2) != 0) {}

void CConsoleHost::InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

void CConsoleHost::ClearBar() {
    if (m_isBarShown) {
        std::cerr << "\r\033[K";
        m_isBarShown = false;
    }
}

void CConsoleHost::DrawBar() {
    if (!m_isTerminal || m_total == 0) {
        return;
    }
    int percent = int(m_done * 100 / m_total);
    const int width = 40;
    int filled = int(m_done * width / m_total);
    std::cerr << "\r[" << std::string(filled, '#') << std::string(width - filled, ' ') << "] "
              << percent << "%" << std::flush;
    m_isBarShown = true;
    m_lastPercent = percent;
}

void CConsoleHost::SetProgressText(const std::string& title, const std::string& detail) {
    ClearBar();
    std::cerr << title << ": " << OneLine(detail) << std::endl;
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
        files += "  " + message.substr(start, end - start) + "\n";
        start = end + 1;
    }
    std::cerr << "These files exist already:\n" << files;
    bool isOk = false;
    if (m_answer == ANSWER_YES) {
        std::cerr << "Overwriting them (-y)." << std::endl;
        isOk = true;
    } else if (m_answer == ANSWER_NO) {
        std::cerr << "Leaving them alone (-n)." << std::endl;
    } else if (isatty(0) == 0) {
        std::cerr << "Leaving them alone: no terminal to ask on. Use -y to overwrite them."
                  << std::endl;
    } else {
        std::cerr << OneLine(title) << " [y/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        isOk =
            answer == "y" || answer == "Y" || answer == "yes" || answer == "ok" || answer == "OK";
    }
    DrawBar();
    return isOk;
}

void CConsoleHost::ShowError(const std::string& message) {
    ClearBar();
    std::cerr << "kestrawave-cli: " << OneLine(message) << std::endl;
    DrawBar();
}

void CConsoleHost::SetProgressBytes(uint64_t done, uint64_t total) {
    m_done = done;
    m_total = total;
    if (m_isTerminal && total != 0 && int(done * 100 / total) != m_lastPercent) {
        DrawBar();
    }
}

void CConsoleHost::Finish() {
    if (m_isBarShown) {
        std::cerr << std::endl;
        m_isBarShown = false;
    }
}
