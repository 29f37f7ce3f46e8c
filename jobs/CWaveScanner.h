#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Finds the wave files of a folder with their formats: the files a poly file
// to split can be chosen from.
class CWaveScanner {
public:
    struct _WAVEFILE {
        std::string strFileName;
        // The folder given, "/", the file name.
        std::string strPath;
        // All 0 when the file has no readable "fmt " chunk.
        uint16_t channels = 0;
        uint16_t bitsPerSample = 0;
        uint32_t samplesPerSec = 0;
        // Bytes of the whole file.
        uint64_t size = 0;
    };

    // True for a name ending in ".wav" or ".WAV", no other case.
    static bool IsWaveName(const std::string& fileName);
    // The files of the folder named as IsWaveName says that are regular files
    // (also through a link) and can be opened, in the order the folder lists
    // them. Nothing else is opened: a FIFO named like a wave file would
    // block. An unreadable folder has none.
    static std::vector<_WAVEFILE> ScanFolder(const std::string& folder);
};
