#include "CConsoleHost.h"

#include "CExitStatus.h"
#include "CPlatform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

std::atomic<bool> CConsoleHost::m_isCancel{false};
std::atomic<int> CConsoleHost::m_status{0};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the interrupt handler stores the flag and the status");

namespace {

void OnInterrupt(int status) {
    // The first interrupt is being handled (temporary files being removed):
    // the user wants out now, and only temporary files can remain.
    if (CConsoleHost::m_isCancel.load()) {
        CPlatform::ExitNow(status);
    }
    CConsoleHost::m_status = status;
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

} // namespace

CConsoleHost::CConsoleHost(ANSWER answer)
    : m_answer(answer), m_isTerminal(CPlatform::IsTerminal(2)) {}

void CConsoleHost::InstallInterruptHandler() {
    CPlatform::InstallInterruptHandler(OnInterrupt);
}

void CConsoleHost::IgnoreBrokenPipe() {
    CPlatform::IgnoreBrokenPipe();
}

int CConsoleHost::InterruptStatus() {
    return m_status != 0 ? int(m_status) : EXIT_CANCELLED;
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
    const std::filesystem::file_status status =
        std::filesystem::status(CPlatform::ToPath(folder), error);
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
         std::to_string(percent) + "%" + (m_strBarText.empty() ? "" : "  " + m_strBarText) +
         "\033[K");
    m_isBarShown = true;
    m_lastPercent = percent;
}

void CConsoleHost::SetProgressText(const std::string& title, const std::string& detail) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ClearBar();
    Emit(OneLine(title) + ": " + OneLine(detail) + "\n");
    DrawBar();
}

bool CConsoleHost::AskOverwrite(const std::string& title, const std::string& message) {
    return AskOverwrite(title, message, 0);
}

bool CConsoleHost::AskOverwrite(const std::string& title, const std::string& message,
                                std::size_t more) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
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
    if (more != 0) {
        files += "  ... and " + std::to_string(more) + " more\n";
    }
    Emit("These files exist already:\n" + files);
    bool isOk = false;
    if (m_answer == ANSWER_YES) {
        Emit("Overwriting them (-y).\n");
        isOk = true;
    } else if (m_answer == ANSWER_NO) {
        Emit("Leaving them alone (-n).\n");
    } else if (!CPlatform::IsTerminal(0)) {
        Emit("Leaving them alone: no terminal to ask on. Use -y to overwrite them.\n");
    } else if (!m_isCancel.load()) {
        Emit(OneLine(title) + " [y/N] ");
        std::string answer;
        CPlatform::ReadLine(answer, m_isCancel);
        if (!answer.empty() && answer.back() == '\r') {
            answer.pop_back();
        }
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
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    ClearBar();
    Say(OneLine(message));
    DrawBar();
}

void CConsoleHost::SetProgressBytes(uint64_t done, uint64_t total) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_done = done;
    m_total = total;
    if (m_isTerminal && total != 0 && int(std::min(done, total) * 100 / total) != m_lastPercent) {
        DrawBar();
    }
}

void CConsoleHost::SetBarText(const std::string& text) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_strBarText = text;
}

void CConsoleHost::Finish() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_isBarShown) {
        Emit("\n");
        m_isBarShown = false;
    }
}
