#pragma once

#include <cstdint>
#include <string>
#include <vector>

// `kestrawave-cli split`: each poly file into mono files under the output
// folder, reading each source once for all its channels; with -r the poly
// files below folders too, their monos under the same relative folders.
class CSplitCommand {
public:
    std::vector<std::string> m_arrayPath;
    std::string m_strDestFolder = ".";
    std::string m_strChannels;      // e.g. "1,3-4,17-24"
    bool m_isChannelsGiven = false; // without -c: every channel of each file
    bool m_isYes = false;
    bool m_isNo = false;
    bool m_isCopyMetadata = false; // iXML and bext exactly as the source's
    bool m_isRecursive = false;
    int m_jobs = 1; // files at a time, 0: one per processor
    bool m_isJson = false;

    int Run() const;

    // The highest channel number a list may name: a format's channel count
    // cannot pass it.
    static constexpr int MAX_CHANNEL = 65535;

    // The channel numbers of a list such as "1,3-4,17-24", rising, each
    // once; false when the list is malformed or names 0 or a number above
    // MAX_CHANNEL.
    static bool ParseChannels(const std::string& text, std::vector<int>& arrayChannel);
};
