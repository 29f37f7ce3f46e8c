#include "CTakeScanner.h"

#include "CJobPath.h"
#include "CPlatform.h"

#include <algorithm>
#include <filesystem>

std::string CTakeScanner::TakeNameOf(const std::string& fileName) {
    std::string::size_type dot = fileName.rfind('.');
    if (dot == std::string::npos) {
        return std::string();
    }
    std::string extension = fileName.substr(dot + 1);
    if (extension != "wav" && extension != "WAV") {
        return std::string();
    }
    std::string stem = fileName.substr(0, dot);
    std::string::size_type underscore = stem.rfind('_');
    if (underscore == std::string::npos || underscore + 1 >= stem.size()) {
        return std::string();
    }
    char first = stem[underscore + 1];
    if (first < '1' || first > '9') {
        return std::string();
    }
    // The number is the run of digits after the underscore: 1x counts as 1,
    // 12 as twelve. The run stops growing once past the bound.
    int number = 0;
    for (std::string::size_type i = underscore + 1;
         i < stem.size() && stem[i] >= '0' && stem[i] <= '9' && number <= MAX_CHANNEL; ++i) {
        number = number * 10 + (stem[i] - '0');
    }
    if (number < 1 || number > MAX_CHANNEL) {
        return std::string();
    }
    return stem.substr(0, underscore);
}

std::vector<std::string> CTakeScanner::ScanFolder(const std::string& folder) {
    std::vector<std::string> arrayTake;
    std::error_code error;
    std::filesystem::directory_iterator it(CPlatform::ToPath(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::string take = TakeNameOf(CPlatform::FromPath(it->path().filename()));
        // A FIFO or folder named like a mono is no take: opening it could block.
        std::error_code statusError;
        if (!take.empty() && it->is_regular_file(statusError) &&
            std::find(arrayTake.begin(), arrayTake.end(), take) == arrayTake.end()) {
            arrayTake.push_back(take);
        }
    }
    return arrayTake;
}

int CTakeScanner::ChannelOf(const std::string& fileName, const std::string& takeName) {
    if (takeName.empty() || fileName.size() < takeName.size() + 6 ||
        fileName.compare(0, takeName.size() + 1, takeName + "_") != 0 ||
        TakeNameOf(fileName) != takeName) {
        return 0;
    }
    // TakeNameOf accepted the digits; only the plain form names a channel.
    const std::string number =
        fileName.substr(takeName.size() + 1, fileName.size() - takeName.size() - 5);
    if (number.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoi(number);
}

std::vector<int> CTakeScanner::Channels(const std::string& folder, const std::string& takeName) {
    std::vector<int> arrayChannel;
    std::error_code error;
    std::filesystem::directory_iterator it(CPlatform::ToPath(folder), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const int n = ChannelOf(CPlatform::FromPath(it->path().filename()), takeName);
        std::error_code statusError;
        if (n != 0 && it->is_regular_file(statusError)) {
            arrayChannel.push_back(n);
        }
    }
    // TAKE_n.wav and TAKE_n.WAV are one channel.
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    return arrayChannel;
}

std::vector<std::string> CTakeScanner::MonoPaths(const std::string& folder,
                                                 const std::string& takeName) {
    std::vector<std::string> arrayPath;
    for (int n : Channels(folder, takeName)) {
        arrayPath.push_back(CJobPath::FindMonoPath(folder, takeName, n));
    }
    return arrayPath;
}
