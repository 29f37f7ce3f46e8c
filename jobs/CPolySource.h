#pragma once

#include "CBwfFile.h"
#include "CWaveFormat.h"

#include <cstdint>
#include <string>

// A poly file opened read-only for splitting: its format and where its
// samples and the bytes after them lie.
class CPolySource {
public:
    // False with a reason naming the file when it cannot be split.
    bool Open(const std::string& path, std::string& reason);

    CBwfFile m_file;
    CWaveFormat m_format;
    std::string m_strPath;
    uint64_t m_fileSize = 0;
    // First byte of the "data" payload.
    uint64_t m_dataPointer = 0;
    // The "data" size field, and the bytes of it that the file really holds
    // (less when a recording was cut short).
    uint32_t m_dataSize = 0;
    uint32_t m_dataAvailable = 0;
    // Where the chunks after the samples begin: behind the pad byte of an
    // odd payload, so that they stay on even offsets in the mono files.
    uint64_t m_trailPointer = 0;
};
