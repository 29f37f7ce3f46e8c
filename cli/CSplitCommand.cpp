#include "CSplitCommand.h"

#include "CBwfFile.h"
#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CPolyToMonoJob.h"

#include <filesystem>
#include <sstream>

namespace {

bool ParseNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 2 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    number = std::stoi(text);
    return number >= 1 && number <= 16;
}

} // namespace

bool CSplitCommand::ParseChannels(const std::string& text, uint16_t& mask) {
    mask = 0;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        std::string::size_type dash = item.find('-');
        int first = 0;
        int last = 0;
        if (dash == std::string::npos) {
            if (!ParseNumber(item, first)) {
                return false;
            }
            last = first;
        } else if (!ParseNumber(item.substr(0, dash), first) ||
                   !ParseNumber(item.substr(dash + 1), last) || last < first) {
            return false;
        }
        for (int n = first; n <= last; ++n) {
            mask = uint16_t(mask | (1u << (n - 1)));
        }
    }
    return mask != 0 && (text.empty() || text.back() != ',');
}

int CSplitCommand::Run() const {
    uint16_t mask = 0xFFFF;
    if (m_isChannelsGiven && !ParseChannels(m_strChannels, mask)) {
        CConsoleHost::Say("malformed channel list " + Quoted(m_strChannels) +
                          "; use numbers from 1 to 16 such as 1,3-4");
        return EXIT_USAGE;
    }
    if (!CConsoleHost::CheckOutputFolder(m_strDestFolder)) {
        return EXIT_USAGE;
    }

    CPolyToMonoJob job;
    job.m_strDestFolder = m_strDestFolder;
    job.m_isOnePass = true;
    int status = EXIT_DONE;
    for (const std::string& path : m_arrayPath) {
        const std::string::size_type dot = path.rfind('.');
        const std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
        if (extension != "wav" && extension != "WAV") {
            CConsoleHost::Say(Quoted(path) + ": the name must end in .wav or .WAV");
            status = EXIT_FAILED;
            continue;
        }
        // A FIFO or a device would block the open or the reads.
        std::error_code error;
        if (std::filesystem::exists(path, error) && !CJobPath::IsRegularFile(path)) {
            CConsoleHost::Say(CJobPath::NotRegularMessage(path));
            status = EXIT_FAILED;
            continue;
        }
        // Channels asked for by number must exist: a script would otherwise
        // take a file with fewer channels for a success.
        if (m_isChannelsGiven) {
            CBwfFile file;
            uint16_t channels = 0, bits = 0;
            uint32_t rate = 0;
            if (file.OpenFile(path.c_str(), true) && file.GetFormat(channels, bits, rate) &&
                channels < 16 && (mask >> channels) != 0) {
                CConsoleHost::Say(Quoted(path) + " has " + std::to_string(channels) +
                                  " channels; not every channel of " + Quoted(m_strChannels) +
                                  " is there");
                status = EXIT_FAILED;
                continue;
            }
        }
        job.m_arraySource.push_back({std::filesystem::path(path).filename().string(), path, mask});
    }

    CConsoleHost host(m_isYes ? CConsoleHost::ANSWER_YES
                              : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK));
    const JOBRESULT result = job.Run(host, CConsoleHost::m_isCancel);
    host.Finish();
    // A signal at the question makes the job see a Cancel answer.
    if (CConsoleHost::m_isCancel.load()) {
        return CConsoleHost::InterruptStatus();
    }
    const int jobStatus = ExitStatusOf(result);
    return jobStatus != EXIT_DONE ? jobStatus : status;
}
