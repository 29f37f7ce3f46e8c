#include "CSplitCommand.h"

#include "CBwfFile.h"
#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CPolyToMonoJob.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

bool ParseNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    number = std::stoi(text);
    return number >= 1 && number <= CSplitCommand::MAX_CHANNEL;
}

} // namespace

bool CSplitCommand::ParseChannels(const std::string& text, std::vector<int>& arrayChannel) {
    arrayChannel.clear();
    if (text.empty() || text.back() == ',') {
        return false;
    }
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
            arrayChannel.push_back(n);
        }
    }
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    return true;
}

int CSplitCommand::Run() const {
    std::vector<int> arrayAsked;
    if (m_isChannelsGiven && !ParseChannels(m_strChannels, arrayAsked)) {
        CConsoleHost::Say("malformed channel list " + Quoted(m_strChannels) +
                          "; use channel numbers from 1 to " + std::to_string(MAX_CHANNEL) +
                          " such as 1,3-4,17-24");
        return EXIT_USAGE;
    }
    if (!CConsoleHost::CheckOutputFolder(m_strDestFolder)) {
        return EXIT_USAGE;
    }

    CPolyToMonoJob job;
    job.m_strDestFolder = m_strDestFolder;
    job.m_isCopyMetadata = m_isCopyMetadata;
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
        // A file whose format cannot be read gets every possible channel:
        // the job names the file and why.
        CBwfFile file;
        uint16_t channels = 0, bits = 0;
        uint32_t rate = 0;
        const bool hasFormat = CJobPath::IsRegularFile(path) && file.OpenFile(path.c_str(), true) &&
                               file.GetFormat(channels, bits, rate);
        file.CloseFile();
        std::vector<int> arrayChannel = arrayAsked;
        if (!m_isChannelsGiven) {
            for (int n = 1; n <= (hasFormat ? int(channels) : MAX_CHANNEL); ++n) {
                arrayChannel.push_back(n);
            }
        } else if (hasFormat && arrayAsked.back() > int(channels)) {
            // Channels asked for by number must exist: a script would
            // otherwise take a file with fewer channels for a success.
            CConsoleHost::Say(Quoted(path) + " has " + std::to_string(channels) +
                              " channels; not every channel of " + Quoted(m_strChannels) +
                              " is there");
            status = EXIT_FAILED;
            continue;
        }
        job.m_arraySource.push_back(
            {std::filesystem::path(path).filename().string(), path, std::move(arrayChannel)});
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
