#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Finds the takes of a folder of mono files: a name "TAKE_n.wav" or
// "TAKE_n.WAV" with n from 1 to MAX_CHANNEL (read as the leading digits after
// the last underscore) belongs to take TAKE.
class CTakeScanner {
public:
    // The highest channel number a mono file's name can carry.
    static constexpr int MAX_CHANNEL = 1024;

    // Take name of a file name, or empty when the name does not belong to a
    // take.
    static std::string TakeNameOf(const std::string& fileName);
    // n when fileName is exactly "TAKE_n.wav" or "TAKE_n.WAV" for takeName,
    // n from 1 to MAX_CHANNEL; otherwise 0.
    static int ChannelOf(const std::string& fileName, const std::string& takeName);
    // Take names in the order the folder lists them, each once, counting
    // only regular files (also through links). An unreadable folder has none.
    static std::vector<std::string> ScanFolder(const std::string& folder);
    // The channel numbers n, rising, for which TAKE_n.wav or TAKE_n.WAV is a
    // regular file (also through a link) in the folder. One pass over the
    // folder, whatever the numbers.
    static std::vector<int> Channels(const std::string& folder, const std::string& takeName);
    // The mono files of the channels in Channels (CJobPath::FindMonoPath),
    // lowest channel first.
    static std::vector<std::string> MonoPaths(const std::string& folder,
                                              const std::string& takeName);
};
