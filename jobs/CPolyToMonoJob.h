#pragma once

#include "CJobHost.h"
#include "CJobResult.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Splits poly files into mono files, one per selected channel, written as
// "OUT/TAKE/TAKE_n.wav" where TAKE is the poly file's name without its
// extension.
class CPolyToMonoJob {
public:
    struct _SOURCEROW {
        std::string strFileName;
        std::string strFilePath;
        uint16_t selectMask; // bit n-1: channel n
    };

    std::vector<_SOURCEROW> m_arraySource;
    std::string m_strDestFolder;
    // Read each source once for all its channels instead of once per channel.
    bool m_isOnePass = false;

    // Runs the rows in order. A row whose source cannot be split is skipped
    // with a message; the others go on. Ends at once when the overwrite
    // question is answered Cancel, when a mono file cannot be created, or
    // when isCancel is set (the mono files being written are removed).
    JOBRESULT Run(CJobHost& host, const std::atomic<bool>& isCancel) const;

    static std::string TakeName(const std::string& fileName);
    static std::string MonoPath(const std::string& takeFolder, const std::string& takeName,
                                int channel);
};
