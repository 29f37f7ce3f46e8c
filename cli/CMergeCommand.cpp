#include "CMergeCommand.h"

#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CMonoToPolyJob.h"
#include "CTakeScanner.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

int CMergeCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(m_strFolder, error)) {
        std::cerr << "kestrawave-cli: \"" << m_strFolder << "\" is not a folder" << std::endl;
        return EXIT_USAGE;
    }
    if (!std::filesystem::is_directory(m_strDestFolder, error)) {
        std::cerr << "kestrawave-cli: the output folder \"" << m_strDestFolder
                  << "\" does not exist" << std::endl;
        return EXIT_USAGE;
    }
    std::vector<std::string> arrayTake = m_arrayTake;
    if (arrayTake.empty()) {
        arrayTake = CTakeScanner::ScanFolder(m_strFolder);
        std::sort(arrayTake.begin(), arrayTake.end());
        if (arrayTake.empty()) {
            std::cerr << "kestrawave-cli: no takes in \"" << m_strFolder << "\"" << std::endl;
            return EXIT_FAILED;
        }
    }

    CConsoleHost host(m_isYes ? CConsoleHost::ANSWER_YES
                              : (m_isNo ? CConsoleHost::ANSWER_NO : CConsoleHost::ANSWER_ASK));
    int status = EXIT_DONE;
    for (const std::string& take : arrayTake) {
        // A poly file takes channels 1 to 8; more must not vanish unnoticed.
        for (int n = 9; n <= 16; ++n) {
            std::string base = m_strFolder + "/" + take + "_" + std::to_string(n);
            if (std::filesystem::exists(base + ".wav", error) ||
                std::filesystem::exists(base + ".WAV", error)) {
                std::cerr << "kestrawave-cli: take \"" << take << "\" has a channel " << n
                          << "; a poly file holds channels 1 to 8 only, the others are left out"
                          << std::endl;
                status = EXIT_FAILED;
                break;
            }
        }
        CMonoToPolyJob job;
        job.m_strTakeName = take;
        job.m_channelMask = CTakeScanner::ChannelMask(m_strFolder, take);
        job.m_strSourceFolder = m_strFolder;
        job.m_strDestFolder = m_strDestFolder;
        job.m_convertMode = m_convertMode;
        JOBRESULT result = job.Run(host, CConsoleHost::m_isCancel);
        host.Finish();
        if (result == JOBRESULT_DECLINED || result == JOBRESULT_CANCELLED) {
            return ExitStatusOf(result);
        }
        if (result == JOBRESULT_FAILED) {
            status = EXIT_FAILED;
        }
    }
    return status;
}
