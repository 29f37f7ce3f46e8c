#pragma once

#include <string>

// `kestrawave-cli takes`: the takes of a folder of mono files, one per line,
// with the channels whose mono files exist.
class CTakesCommand {
public:
    std::string m_strFolder;

    int Run() const;

    // Names on the error stream each entry of folder named like a mono file
    // of a take that is not a regular file (a FIFO, a device, a folder),
    // which the scans leave out; true when there was one.
    static bool SayNotRegular(const std::string& folder);
};
