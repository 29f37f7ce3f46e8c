#include "CMergeCommand.h"

#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CMonoToPolyJob.h"
#include "CTakeScanner.h"
#include "CTakesCommand.h"

#include <algorithm>
#include <filesystem>

int CMergeCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(m_strFolder, error)) {
        CConsoleHost::Say(Quoted(m_strFolder) + " is not a folder");
        return EXIT_USAGE;
    }
    if (!CConsoleHost::CheckOutputFolder(m_strDestFolder)) {
        return EXIT_USAGE;
    }
    // Monos that are not regular files are named and left out, as opening a
    // FIFO or a device would block. Every mono of the run is an input that
    // no take's output may replace.
    int status = EXIT_DONE;
    std::vector<std::string> arrayTake = m_arrayTake;
    if (arrayTake.empty()) {
        status = CTakesCommand::SayNotRegular(m_strFolder) ? EXIT_FAILED : EXIT_DONE;
        arrayTake = CTakeScanner::ScanFolder(m_strFolder);
        std::sort(arrayTake.begin(), arrayTake.end());
        if (arrayTake.empty()) {
            CConsoleHost::Say("no takes in " + Quoted(m_strFolder));
            return EXIT_FAILED;
        }
    }
    // Named takes: their monos that are no regular files, which the scan
    // leaves out, are named (a regular TAKE_n.WAV beside a FIFO TAKE_n.wav
    // stands for the channel).
    std::vector<std::vector<int>> arrayChannels;
    std::vector<std::string> arrayRunInput;
    for (const std::string& take : arrayTake) {
        arrayChannels.push_back(CTakeScanner::Channels(m_strFolder, take));
        const std::vector<int>& channels = arrayChannels.back();
        for (int n : channels) {
            arrayRunInput.push_back(CJobPath::FindMonoPath(m_strFolder, take, n));
        }
        if (m_arrayTake.empty()) {
            continue;
        }
        std::filesystem::directory_iterator it(m_strFolder, error);
        for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            const int n = CTakeScanner::ChannelOf(it->path().filename().string(), take);
            if (n != 0 && !std::binary_search(channels.begin(), channels.end(), n)) {
                CConsoleHost::Say(CJobPath::NotRegularMessage(it->path().string()));
                status = EXIT_FAILED;
            }
        }
        error.clear();
    }

    CConsoleHost host(m_isYes ? CConsoleHost::ANSWER_YES
                              : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK));
    for (std::size_t i = 0; i < arrayTake.size(); ++i) {
        const std::string& take = arrayTake[i];
        CMonoToPolyJob job;
        job.m_strTakeName = take;
        job.m_arrayChannel = arrayChannels[i];
        job.m_strSourceFolder = m_strFolder;
        job.m_strDestFolder = m_strDestFolder;
        job.m_convertMode = m_convertMode;
        job.m_isCopyMetadata = m_isCopyMetadata;
        job.m_arrayRunInput = arrayRunInput;
        const JOBRESULT result = job.Run(host, CConsoleHost::m_isCancel);
        host.Finish();
        // A signal at the question makes the job see a Cancel answer.
        if (CConsoleHost::m_isCancel.load()) {
            return CConsoleHost::InterruptStatus();
        }
        if (result == JOBRESULT_DECLINED || result == JOBRESULT_CANCELLED) {
            return ExitStatusOf(result, CConsoleHost::InterruptStatus());
        }
        if (result == JOBRESULT_FAILED) {
            status = EXIT_FAILED;
        }
    }
    return status;
}
