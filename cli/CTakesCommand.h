#pragma once

#include <string>

// `kestrawave-cli takes`: the takes of a folder of mono files, one per line,
// with the channels whose mono files exist.
class CTakesCommand {
public:
    std::string m_strFolder;

    int Run() const;
};
