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
    std::vector<uint16_t> arrayMask;
    std::vector<std::string> arrayRunInput;
    for (const std::string& take : arrayTake) {
        uint16_t mask = 0;
        for (int n = 1; n <= 8; ++n) {
            const std::string path = CTakeScanner::MonoPath(m_strFolder, take, n);
            if (CJobPath::IsRegularFile(path)) {
                mask = uint16_t(mask | (1u << (n - 1)));
                arrayRunInput.push_back(path);
            } else if (!m_arrayTake.empty() && std::filesystem::exists(path, error)) {
                CConsoleHost::Say(CJobPath::NotRegularMessage(path));
                status = EXIT_FAILED;
            }
        }
        arrayMask.push_back(mask);
    }

    CConsoleHost host(m_isYes ? CConsoleHost::ANSWER_YES
                              : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK));
    for (std::size_t i = 0; i < arrayTake.size(); ++i) {
        const std::string& take = arrayTake[i];
        // A poly file takes channels 1 to 8; more must not vanish unnoticed.
        for (int n = 9; n <= 16; ++n) {
            std::string base = m_strFolder + "/" + take + "_" + std::to_string(n);
            if (std::filesystem::exists(base + ".wav", error) ||
                std::filesystem::exists(base + ".WAV", error)) {
                CConsoleHost::Say("take " + Quoted(take) + " has a channel " + std::to_string(n) +
                                  "; a poly file holds channels 1 to 8 only, the others are "
                                  "left out");
                status = EXIT_FAILED;
                break;
            }
        }
        CMonoToPolyJob job;
        job.m_strTakeName = take;
        job.m_channelMask = arrayMask[i];
        job.m_strSourceFolder = m_strFolder;
        job.m_strDestFolder = m_strDestFolder;
        job.m_convertMode = m_convertMode;
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
