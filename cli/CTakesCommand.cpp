#include "CTakesCommand.h"

#include "CExitStatus.h"
#include "CTakeScanner.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

int CTakesCommand::Run() const {
    std::error_code error;
    if (!std::filesystem::is_directory(m_strFolder, error)) {
        std::cerr << "kestrawave-cli: \"" << m_strFolder << "\" is not a folder" << std::endl;
        return EXIT_USAGE;
    }
    std::vector<std::string> arrayTake = CTakeScanner::ScanFolder(m_strFolder);
    std::sort(arrayTake.begin(), arrayTake.end());
    for (const std::string& take : arrayTake) {
        uint16_t mask = CTakeScanner::ChannelMask(m_strFolder, take);
        std::string channels;
        for (int n = 1; n <= 8; ++n) {
            if ((mask >> (n - 1)) & 1) {
                channels += (channels.empty() ? "" : ",") + std::to_string(n);
            }
        }
        std::cout << take << "\t" << (channels.empty() ? "-" : channels) << "\n";
    }
    std::cout.flush();
    return EXIT_DONE;
}
