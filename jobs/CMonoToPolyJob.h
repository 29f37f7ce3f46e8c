#pragma once

#include "CBwfLayout.h"
#include "CJobHost.h"
#include "CJobResult.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Merges the mono files of one take, "SOURCE/TAKE_n.wav" for n from 1 to
// 1024, into one poly file "DEST/TAKE.wav" of N channels, N the highest
// channel present; a missing channel below N is silent. Format and metadata
// come from the lowest channel present, the lead. The poly file is as long
// as the longest channel; each shorter one is silent after its end.
//
// Convert modes: 0 puts "cue ", "plst", "LIST", "iXML" and the lead's other
// chunks before the samples, which start at offset 32768 when they leave
// room; 1 puts them after the samples and writes no "iXML", samples at
// 32768; 2 is mode 1 with the samples at 4096. A carried chunk whose size
// runs past the end of the lead is carried with the bytes that are there.
class CMonoToPolyJob {
public:
    std::string m_strTakeName;
    // The channels whose mono files exist, rising, 1 to 1024
    // (CTakeScanner::Channels).
    std::vector<int> m_arrayChannel;
    std::string m_strSourceFolder;
    std::string m_strDestFolder;
    int m_convertMode = 0;
    // Every other input of the run this job belongs to (the monos of the
    // other takes being merged): the output must not be one of them.
    std::vector<std::string> m_arrayRunInput;
    // A poly file larger than this is written as RF64 (see CPolyWriter);
    // tests lower it to see that layout on small files.
    uint64_t m_rf64Limit = RIFF_FILE_MAX;
    // The poly's "iXML" lists every mono's track and its "bext" description
    // holds their track lines (see CPolyWriter); with this set both are the
    // lead's, unchanged.
    bool m_isCopyMetadata = false;

    // Everything that can be refused (the take name, mono files that are no
    // regular files or do not match, a channel number outside 1 to 1024,
    // frames over CWaveFormat::MAX_FRAME_BYTES, an output that is an input
    // of the run) is refused before the overwrite question (CMonoTake);
    // CPolyWriter then writes the file.
    // The poly file is written under a temporary name and replaces a file at
    // its path only once complete: a cancelled or failed run leaves the old
    // file as it was and no new one. Memory does not grow with the number of chunks,
    // and the blocks of each channel shrink as the channels grow in number.
    JOBRESULT Run(CJobHost& host, const std::atomic<bool>& isCancel) const;

    static std::string PolyPath(const std::string& destFolder, const std::string& takeName);
};
