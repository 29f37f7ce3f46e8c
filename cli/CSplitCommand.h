#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `kestrawave-cli split`: each poly file into mono files under the output
// folder, reading each source once for all its channels.
class CSplitCommand {
public:
    std::vector<std::string> m_arrayPath;
    std::string m_strDestFolder = ".";
    std::string m_strChannels;      // e.g. "1,3-4"
    bool m_isChannelsGiven = false; // without -c: every channel
    bool m_isYes = false;
    bool m_isNo = false;

    int Run() const;

    // The mask of a channel list such as "1,3-4" (channels 1 to 16); false
    // when the list is malformed.
    static bool ParseChannels(const std::string& text, uint16_t& mask);
};
