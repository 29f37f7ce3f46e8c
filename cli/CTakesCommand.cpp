#include "CTakesCommand.h"

#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CTakeScanner.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

bool CTakesCommand::SayNotRegular(const std::string& folder) {
    bool isFound = false;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string path = it->path().string();
        if (!CTakeScanner::TakeNameOf(it->path().filename().string()).empty() &&
            !CJobPath::IsRegularFile(path)) {
            CConsoleHost::Say(CJobPath::NotRegularMessage(path));
            isFound = true;
        }
    }
    return isFound;
}

int CTakesCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(m_strFolder, error)) {
        CConsoleHost::Say(Quoted(m_strFolder) + " is not a folder");
        return EXIT_USAGE;
    }
    int status = SayNotRegular(m_strFolder) ? EXIT_FAILED : EXIT_DONE;
    std::vector<std::string> arrayTake = CTakeScanner::ScanFolder(m_strFolder);
    std::sort(arrayTake.begin(), arrayTake.end());
    for (const std::string& take : arrayTake) {
        std::string channels;
        for (int n : CTakeScanner::Channels(m_strFolder, take)) {
            channels += (channels.empty() ? "" : ",") + std::to_string(n);
        }
        if (!channels.empty()) {
            std::cout << CConsoleHost::Escaped(take) << "\t" << channels << "\n";
        }
    }
    std::cout.flush();
    return status;
}
