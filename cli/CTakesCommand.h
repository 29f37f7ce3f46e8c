#pragma once

#include <string>

// `kestrawave-cli takes`: the takes of a folder of mono files, one per line,
// with the channels whose mono files exist and, third, the track names
// those files give ("1:MKH516 A, 2:Boom").
class CTakesCommand {
public:
    std::string m_strFolder;

    int Run() const;

    // Names on the error stream each entry of folder named like a mono file
    // of a take that is not a regular file (a FIFO, a device, a folder),
    // which the scans leave out; true when there was one.
    static bool SayNotRegular(const std::string& folder);

private:
    // The track name of the mono file at path, channel n of its take; "" when
    // it names none or cannot be read.
    static std::string TrackName(const std::string& path, int n);
};
