#pragma once

#include "CBwfFile.h"
#include "CJobResult.h"
#include "CTrackMetadata.h"
#include "CWaveFormat.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The mono files of one take, opened read-only and checked for a merge, and
// what the poly file will carry from them: the channel count, the length in
// frames, and the lead's chunks (the lowest channel present), each reached
// where it is and cut to the bytes its file holds. RIFF, RF64 and BW64
// monos are read alike, sizes from "ds64" where a field says so; a lead's
// "ds64" is never carried. Memory does not grow with the lead's chunks.
class CMonoTake {
public:
    struct _MONO {
        CBwfFile file;
        std::string strPath;
        CWaveFormat format;
        uint64_t dataPointer = 0;   // first byte of the "data" body
        uint64_t dataSize = 0;      // its real size
        uint64_t dataAvailable = 0; // the bytes of it the file holds
        int number = 0;             // the channel
    };
    // A chunk of the lead to carry: size is the part of its body the file
    // holds, isCut when that is less than its size says.
    struct _CARRIED {
        char id[4];
        uint64_t pointer;
        uint32_t size;
        bool isCut;
    };
    using CARRIEDVISIT = std::function<bool(const _CARRIED& chunk)>;
    enum KNOWN { KNOWN_BEXT, KNOWN_CUE, KNOWN_PLST, KNOWN_IXML, KNOWN_COUNT };

    // Opens "folder/TAKE_n.wav" (or .WAV) for each of channels (rising, each
    // once, 1 to CTakeScanner::MAX_CHANNEL) and checks them: regular files,
    // readable formats, mono, one sample format and rate, frames of the
    // poly file within CWaveFormat::MAX_FRAME_BYTES, chunks that fit a
    // 32-bit size. JOBRESULT_FAILED with reason naming the file, or
    // JOBRESULT_CANCELLED when isCancel ended a walk. carriesIXml: the lead's
    // "iXML" is carried (its notes given).
    JOBRESULT Open(const std::string& folder, const std::string& take,
                   const std::vector<int>& channels, bool carriesIXml,
                   const std::atomic<bool>& isCancel, std::string& reason);

    // With m_isRewriteMetadata set before Open, Open also reads each mono's
    // track metadata (GetMetadata), holding at most TRACK_XML_MAX bytes of
    // "iXML" for the take; a mono past that, or whose "iXML" cannot be read,
    // is noted and named by its "bext" line alone.
    static constexpr uint64_t TRACK_XML_MAX = 16 * 1024 * 1024;
    bool m_isRewriteMetadata = false;
    const CTrackMetadata& GetMetadata(std::size_t k) const { return m_arrayMetadata[k]; }

    _MONO& Lead() { return m_arrayMono[0]; }
    std::size_t GetCount() const { return m_count; }
    _MONO& GetMono(std::size_t k) { return m_arrayMono[k]; }
    // Hands over the lead's undefined chunks in file order (a walk each
    // time); false when visit stopped.
    bool EnumUndefined(const CARRIEDVISIT& visit);

    int m_channels = 0;      // the highest channel present
    uint32_t m_width = 0;    // bytes of a sample
    uint64_t m_frames = 0;   // of the longest channel
    uint64_t m_leadSize = 0; // the lead's file length
    _CARRIED m_known[KNOWN_COUNT] = {};
    bool m_hasKnown[KNOWN_COUNT] = {};
    uint64_t m_undefinedBytes = 0; // the undefined chunks as carried
    // What the poly file carries differently, said once it is being written.
    std::vector<std::string> m_arrayNote;

private:
    _CARRIED Carried(const char* id, uint64_t pointer, uint64_t size) const;
    bool RealSize(const char* id, uint32_t size, uint64_t& realSize) const;

    std::unique_ptr<_MONO[]> m_arrayMono;
    std::vector<CTrackMetadata> m_arrayMetadata;
    std::size_t m_count = 0;
    // The lead's chunks whose size is in its "ds64" (at most its table's
    // entries), so that the undefined ones among them get their real size.
    struct _REAL {
        char id[4];
        uint64_t size;
    };
    std::vector<_REAL> m_arrayReal;
    std::string m_strHuge; // a lead chunk too large for a 32-bit field
};
