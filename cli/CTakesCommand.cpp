#include "CTakesCommand.h"

#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CTakeScanner.h"
#include "CTrackMetadata.h"

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

std::string CTakesCommand::TrackName(const std::string& path, int n) {
    CTrackMetadata metadata;
    return metadata.Read(path) ? metadata.GetMonoTrackName(n).strName : "";
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
        std::string names;
        for (int n : CTakeScanner::Channels(m_strFolder, take)) {
            channels += (channels.empty() ? "" : ",") + std::to_string(n);
            const std::string name = TrackName(CJobPath::FindMonoPath(m_strFolder, take, n), n);
            if (!name.empty()) {
                names += (names.empty() ? "" : ", ") + std::to_string(n) + ":" +
                         CConsoleHost::Escaped(name);
            }
        }
        // The names come third, so that the channel list stays the second
        // field for scripts.
        if (!channels.empty()) {
            std::cout << CConsoleHost::Escaped(take) << "\t" << channels
                      << (names.empty() ? "" : "\t" + names) << "\n";
        }
    }
    std::cout.flush();
    return status;
}
