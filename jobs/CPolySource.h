#pragma once

#include "CBwfFile.h"
#include "CTrackMetadata.h"
#include "CWaveFormat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A poly file opened read-only for splitting: its format, where its samples
// lie, and how the bytes around them are carried into the mono files.
//
// The mono files are strict RIFF (or RF64) files whatever the source; an
// RF64/BW64 source is read with its sizes from "ds64". A pad byte the
// source lacks after an odd chunk is put back (a zero byte), pad bytes are
// written as zeros, a chunk after the samples that the end of the file cuts
// off is carried with the bytes that exist and its size field set to them,
// and trailing bytes that are no chunk are left out. Every walk is top-level
// and keeps no list, so memory does not grow with the number of chunks.
//
// The mono files' own header ("RIFF", or "RF64" and its "ds64") is written
// by the writer; the runs start after the source's. The source's "ds64" is
// never carried as such: in a RIFF output it becomes a "JUNK" chunk of the
// same size, so every offset stays; in an RF64 output the output's own
// "ds64" stands in its place, and when the source's is 8 bytes or more
// longer than DS64_CHUNK_BYTES (a table), the rest becomes a "JUNK" chunk
// right after it holding the table's bytes, so that every offset stays too
// (a rest of 1 to 7 bytes is left out). A chunk whose size is in the
// source's "ds64" gets its real size in its field.
class CPolySource {
public:
    // Source bytes [from, to), then count bytes of bytes: one piece of a mono
    // file's copy of the source.
    // A run with isIXml covers the source's "iXML" chunk, header to body
    // end, and its pad byte as count: each mono file may put its own in its
    // place (see m_isRewriteMetadata).
    struct _RUN {
        uint64_t from;
        uint64_t to;
        uint32_t count;
        unsigned char bytes[8];
        bool isIXml = false;
    };
    // False stops the walk.
    using RUNVISIT = std::function<bool(const _RUN& run)>;

    // False with a reason naming the file when it cannot be split: not a
    // wave file, an impossible format, no "data" chunk, or chunks ahead of
    // the samples that the top-level walk and the engine's lookup do not
    // agree on. m_isCancelled when *pIsCancel ended a walk (no reason then).
    // The file's walks end when *pIsCancel is set.
    // With m_isRewriteMetadata, Open also reads the file's track metadata
    // (m_metadata) and the walks mark its "iXML" chunk.
    bool Open(const std::string& path, std::string& reason,
              const std::atomic<bool>* pIsCancel = nullptr);

    // The bytes between the RIFF header and the "data" header, as the mono
    // files take them, for an RF64 mono file when isRf64. False when
    // cancelled, when visit stopped, or when the layout is no longer the
    // one Open found.
    bool WalkHeader(bool isRf64, const RUNVISIT& visit);
    // Where a mono file's "data" header would stand right after the copied
    // header, its own RIFF or RF64 header included.
    uint64_t GetMonoHeaderBytes(bool isRf64) const { return m_monoHeaderBytes[isRf64 ? 1 : 0]; }
    // The same for the bytes from m_trailPointer to the end of the file.
    bool WalkTrail(const RUNVISIT& visit);

    CBwfFile m_file;
    CWaveFormat m_format;
    bool m_isRewriteMetadata = false;
    CTrackMetadata m_metadata;
    // Whether the marked "iXML" stands ahead of the samples.
    bool m_isIXmlInHeader = false;
    std::string m_strPath;
    uint64_t m_fileSize = 0;
    // First byte of the "data" payload.
    uint64_t m_dataPointer = 0;
    // The "data" size field, and the bytes of it that the file really holds
    // (less when a recording was cut short).
    uint64_t m_dataSize = 0;
    uint64_t m_dataAvailable = 0;
    // Where the chunks after the samples begin: behind the pad byte of an
    // odd payload, so that they stay on even offsets in the mono files.
    uint64_t m_trailPointer = 0;
    // The bytes WalkTrail hands over.
    uint64_t m_trailMonoBytes = 0;
    // What the mono files carry differently from the source, for the host.
    std::vector<std::string> m_arrayNotice;
    bool m_isCancelled = false;

private:
    bool IsRewrittenIXml(const CBwfFile::_CHUNKITEM& item) const;
    bool RealSizeRun(const CBwfFile::_CHUNKITEM& item, uint64_t& runStart, const RUNVISIT& visit,
                     bool& isStopped);
    std::string HugeReason() const;

    // The source's "ds64" chunk when it is RF64/BW64: its bytes with its pad
    // byte, 0 for any other form.
    uint64_t m_ds64Bytes = 0;
    uint64_t m_monoHeaderBytes[2] = {};
    // Set by the walks: a chunk other than "data" whose size from "ds64"
    // does not fit a 32-bit field, and that size.
    std::string m_strHugeChunk;
    uint64_t m_hugeSize = 0;
    // Set by WalkHeader: the walk found no pad byte after an odd payload.
    bool m_isDataPadMissing = false;
    // Set by WalkTrail: the chunk cut off by the end of the file, and the
    // trailing bytes that are no chunk.
    std::string m_strCutChunk;
    uint32_t m_cutSize = 0;
    uint64_t m_cutDeclared = 0;
    uint64_t m_leftOver = 0;
};
