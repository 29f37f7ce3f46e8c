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
