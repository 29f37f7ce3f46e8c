#pragma once

#include "CBwfFile.h"
#include "CWaveFormat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A poly file opened read-only for splitting: its format, where its samples
// lie, and how the bytes around them are carried into the mono files.
//
// The mono files are strict RIFF files whatever the source: a pad byte the
// source lacks after an odd chunk is put back (a zero byte), pad bytes are
// written as zeros, a chunk after the samples that the end of the file cuts
// off is carried with the bytes that exist and its size field set to them,
// and trailing bytes that are no chunk are left out. Every walk is top-level
// and keeps no list, so memory does not grow with the number of chunks.
class CPolySource {
public:
    // Source bytes [from, to), then count bytes of bytes: one piece of a mono
    // file's copy of the source.
    struct _RUN {
        uint64_t from;
        uint64_t to;
        uint32_t count;
        unsigned char bytes[4];
    };
    // False stops the walk.
    using RUNVISIT = std::function<bool(const _RUN& run)>;

    // False with a reason naming the file when it cannot be split: not a
    // wave file, an impossible format, no "data" chunk, or chunks ahead of
    // the samples that the top-level walk and the engine's lookup do not
    // agree on. m_isCancelled when *pIsCancel ended a walk (no reason then).
    // The file's walks end when *pIsCancel is set.
    bool Open(const std::string& path, std::string& reason,
              const std::atomic<bool>* pIsCancel = nullptr);

    // The bytes ahead of the "data" header (the RIFF header included), as
    // the mono files take them. False when cancelled, when visit stopped,
    // or when the layout is no longer the one Open found.
    bool WalkHeader(const RUNVISIT& visit);
    // The same for the bytes from m_trailPointer to the end of the file.
    bool WalkTrail(const RUNVISIT& visit);

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
    // Pad bytes put back ahead of "data", and the bytes WalkTrail hands over.
    uint64_t m_headerInserted = 0;
    uint64_t m_trailMonoBytes = 0;
    // What the mono files carry differently from the source, for the host.
    std::vector<std::string> m_arrayNotice;
    bool m_isCancelled = false;

private:
    // Set by WalkHeader: the walk found no pad byte after an odd payload.
    bool m_isDataPadMissing = false;
    // Set by WalkTrail: the chunk cut off by the end of the file, and the
    // trailing bytes that are no chunk.
    std::string m_strCutChunk;
    uint32_t m_cutSize = 0;
    uint32_t m_cutDeclared = 0;
    uint64_t m_leftOver = 0;
};
