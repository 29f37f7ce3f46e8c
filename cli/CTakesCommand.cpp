#include "CTakesCommand.h"

#include "CBatchRun.h"
#include "CConsoleHost.h"
#include "CExitStatus.h"
#include "CJobPath.h"
#include "CPlatform.h"
#include "CTakeScanner.h"
#include "CTrackMetadata.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

bool CTakesCommand::SayNotRegular(const std::string& folder) {
    bool isFound = false;
    std::error_code error;
    std::filesystem::directory_iterator it(CPlatform::ToPath(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string path = CPlatform::FromPath(it->path());
        if (!CTakeScanner::TakeNameOf(CPlatform::FromPath(it->path().filename())).empty() &&
            !CJobPath::IsRegularFile(path)) {
            CConsoleHost::Say(CJobPath::NotRegularMessage(path));
            isFound = true;
        }
    }
    return isFound;
}

nlohmann::ordered_json CTakesCommand::FileJson(const std::string& path) {
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(CPlatform::ToPath(path), error);
    return {{"path", path}, {"size", error ? 0 : size}, {"frames", CBatchRun::FramesOf(path)}};
}

int CTakesCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(CPlatform::ToPath(m_strFolder), error)) {
        CConsoleHost::Say(Quoted(m_strFolder) + " is not a folder");
        return EXIT_USAGE;
    }
    int status = SayNotRegular(m_strFolder) ? EXIT_FAILED : EXIT_DONE;
    std::vector<std::string> arrayTake = CTakeScanner::ScanFolder(m_strFolder);
    std::sort(arrayTake.begin(), arrayTake.end());
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const std::string& take : arrayTake) {
        std::string channels;
        std::string names;
        nlohmann::ordered_json numbers = nlohmann::ordered_json::array();
        nlohmann::ordered_json tracks = nlohmann::ordered_json::array();
        nlohmann::ordered_json files = nlohmann::ordered_json::array();
        for (int n : CTakeScanner::Channels(m_strFolder, take)) {
            channels += (channels.empty() ? "" : ",") + std::to_string(n);
            const std::string path = CJobPath::FindMonoPath(m_strFolder, take, n);
            CTrackMetadata metadata;
            const CTrackMetadata::_TRACKNAME name = metadata.Read(path)
                                                        ? metadata.GetMonoTrackName(n)
                                                        : CTrackMetadata::_TRACKNAME{n, "", ""};
            if (!name.strName.empty()) {
                names += (names.empty() ? "" : ", ") + std::to_string(n) + ":" +
                         CConsoleHost::Escaped(name.strName);
            }
            if (m_isJson) {
                numbers.push_back(n);
                tracks.push_back(
                    {{"channel", n}, {"name", name.strName}, {"function", name.strFunction}});
                files.push_back(FileJson(path));
            }
        }
        if (channels.empty()) {
            continue;
        }
        if (m_isJson) {
            list.push_back({{"path", m_strFolder + "/" + take},
                            {"status", "done"},
                            {"message", nullptr},
                            {"files", files},
                            {"take", take},
                            {"channels", numbers},
                            {"tracks", tracks}});
            continue;
        }
        // The names come third, so that the channel list stays the second
        // field for scripts.
        std::cout << CConsoleHost::Escaped(take) << "\t" << channels
                  << (names.empty() ? "" : "\t" + names) << "\n";
    }
    if (m_isJson) {
        std::cout << nlohmann::ordered_json{{"takes", list}}.dump(
                         2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                  << "\n";
    }
    std::cout.flush();
    return status;
}
