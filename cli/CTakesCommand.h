#pragma once

#include <nlohmann/json.hpp>

#include <string>

// `kestrawave-cli takes`: the takes of a folder of mono files, one per line,
// with the channels whose mono files exist and, third, the track names
// those files give ("1:MKH516 A, 2:Boom").
class CTakesCommand {
public:
    std::string m_strFolder;
    // One JSON document instead: each take with its channels, track names
    // and mono files (size, frames).
    bool m_isJson = false;

    int Run() const;

    // Names on the error stream each entry of folder named like a mono file
    // of a take that is not a regular file (a FIFO, a device, a folder),
    // which the scans leave out; true when there was one.
    static bool SayNotRegular(const std::string& folder);

private:
    // A mono file's path, size and frames.
    static nlohmann::ordered_json FileJson(const std::string& path);
};
