#include "CPolySource.h"

#include "CJobHost.h"

#include <algorithm>
#include <cstring>

namespace {

void PutLe32(unsigned char* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = uint8_t(value >> 8 * i);
    }
}

// A run that puts a chunk header in place of source bytes.
CPolySource::_RUN HeaderRun(uint64_t from, uint64_t to, const char* id, uint32_t size) {
    CPolySource::_RUN run{from, to, 8, {}};
    std::memcpy(run.bytes, id, 4);
    PutLe32(run.bytes + 4, size);
    return run;
}

bool IsCancel(const std::atomic<bool>* pIsCancel) {
    return pIsCancel != nullptr && pIsCancel->load(std::memory_order_relaxed);
}

} // namespace

bool CPolySource::Open(const std::string& path, std::string& reason,
                       const std::atomic<bool>* pIsCancel) {
    m_strPath = path;
    m_isCancelled = false;
    m_arrayNotice.clear();
    m_metadata = CTrackMetadata();
    if (!m_file.OpenFile(path.c_str(), true)) {
        const std::string why = m_file.GetErrorText();
        reason =
            "Cannot open " + Quoted(path) + " for reading" + (why.empty() ? "" : ": " + why) + ".";
        return false;
    }
    m_file.SetCancelFlag(pIsCancel);
    // Every walk below ends early on a cancel and then finds nothing; the
    // run ends as cancelled rather than with a wrong reason.
    auto cancelled = [&]() {
        m_isCancelled = IsCancel(pIsCancel);
        return m_isCancelled;
    };
    if (!m_format.Read(m_file, path, CWaveFormat::MAX_FRAME_BYTES, reason)) {
        cancelled();
        return false;
    }
    m_fileSize = m_file.GetFileSize();
    if (!m_file.MoveChunk(CHUNK_DATA, 8)) {
        if (!cancelled()) {
            reason = Quoted(path) + " has no data chunk.";
        }
        return false;
    }
    m_dataSize = m_file.GetChunkSize64(CHUNK_DATA);
    m_dataPointer = m_file.GetFilePointer();
    if (m_dataPointer == NO_POINTER || m_dataPointer > m_fileSize) {
        reason = "Cannot read " + Quoted(path) + ": " + m_file.GetErrorText() + ".";
        return false;
    }
    m_dataAvailable = std::min(m_fileSize - m_dataPointer, m_dataSize);

    m_metadata = CTrackMetadata();
    if (m_isRewriteMetadata) {
        m_metadata.Read(m_file, path);
        m_isIXmlInHeader = m_metadata.m_ixmlPointer < m_dataPointer;
        if (!m_metadata.m_strProblem.empty()) {
            m_arrayNotice.push_back(m_metadata.m_strProblem);
        }
        if (cancelled()) {
            return false;
        }
    }

    m_ds64Bytes = 0;
    m_strHugeChunk.clear();
    if (m_file.GetForm() != FORM_RIFF) {
        // Its "ds64" is the first chunk (GetDs64Problem found it whole).
        m_file.WalkChunks(DS64_POINTER, [&](const CBwfFile::_CHUNKITEM& item) {
            m_ds64Bytes = item.realSize + 8 + (item.realSize % 2 == 1 && !item.isPadMissing);
            return false;
        });
    }
    // The header of an RF64 mono file differs only by its "ds64" when the
    // source has none of its own; otherwise it takes a walk of its own.
    for (bool isRf64 : {false, true}) {
        uint64_t headerBytes = (isRf64 ? 12 + DS64_CHUNK_BYTES : 12);
        if (isRf64 && m_ds64Bytes == 0) {
            m_monoHeaderBytes[1] = m_monoHeaderBytes[0] + DS64_CHUNK_BYTES;
            break;
        }
        if (!WalkHeader(isRf64, [&](const _RUN& run) {
                headerBytes += run.to - run.from + run.count;
                return true;
            })) {
            if (!cancelled()) {
                reason = m_strHugeChunk.empty()
                             ? Quoted(path) + " cannot be split: its chunks before the samples " +
                                   "are malformed."
                             : HugeReason();
            }
            return false;
        }
        m_monoHeaderBytes[isRf64 ? 1 : 0] = headerBytes;
    }
    // The pad byte after an odd payload is never carried: the mono's data
    // chunk is filled up to an even size of its own.
    m_trailPointer = m_dataPointer + m_dataAvailable;
    if (m_dataAvailable == m_dataSize && m_dataSize % 2 == 1 && !m_isDataPadMissing) {
        m_trailPointer = std::min(m_trailPointer + 1, m_fileSize);
    }
    m_trailMonoBytes = 0;
    if (!WalkTrail([&](const _RUN& run) {
            m_trailMonoBytes += run.to - run.from + run.count;
            return true;
        })) {
        if (!cancelled() && !m_strHugeChunk.empty()) {
            reason = HugeReason();
        }
        return false;
    }
    if (!m_strCutChunk.empty()) {
        m_arrayNotice.push_back(Quoted(path) + ": the chunk " + Quoted(m_strCutChunk) +
                                " declares " + std::to_string(m_cutDeclared) +
                                " bytes, but the file ends after " + std::to_string(m_cutSize) +
                                "; those are carried.");
    }
    if (m_leftOver != 0) {
        m_arrayNotice.push_back(Quoted(path) + " ends in " + std::to_string(m_leftOver) +
                                " bytes that are no chunk; they are left out.");
    }
    return true;
}

// A chunk whose size field says SIZE_IN_DS64 gets its real size there;
// false, noted, when that does not fit 32 bits.
bool CPolySource::RealSizeRun(const CBwfFile::_CHUNKITEM& item, uint64_t& runStart,
                              const RUNVISIT& visit, bool& isStopped) {
    if (item.realSize == item.chunk.size) {
        return true;
    }
    if (item.realSize > 0xFFFFFFFFull) {
        m_strHugeChunk.assign(item.chunk.id, 4);
        m_hugeSize = item.realSize;
        return false;
    }
    _RUN run{runStart, item.pointer + 4, 4, {}};
    PutLe32(run.bytes, uint32_t(item.realSize));
    runStart = item.pointer + 8;
    isStopped = !visit(run);
    return !isStopped;
}

bool CPolySource::IsRewrittenIXml(const CBwfFile::_CHUNKITEM& item) const {
    return m_metadata.m_isIXmlUsable && item.pointer == m_metadata.m_ixmlPointer &&
           item.realSize == item.chunk.size;
}

bool CPolySource::WalkHeader(bool isRf64, const RUNVISIT& visit) {
    const uint64_t dataHeader = m_dataPointer - 8;
    uint64_t runStart = 12;
    bool isFound = false;
    bool isStopped = false;
    const bool isWalked = m_file.WalkChunks(12, [&](const CBwfFile::_CHUNKITEM& item) {
        if (item.pointer >= dataHeader) {
            // The first top-level "data" must be the one the lookups find,
            // or the header copied would not end where the samples begin.
            isFound = item.pointer == dataHeader && item.isComplete &&
                      std::memcmp(item.chunk.id, "data", 4) == 0;
            m_isDataPadMissing = item.isPadMissing;
            return false;
        }
        const uint64_t bodyEnd = item.pointer + 8 + item.realSize;
        if (!item.isComplete || std::memcmp(item.chunk.id, "data", 4) == 0 ||
            bodyEnd > dataHeader) {
            return false;
        }
        if (IsRewrittenIXml(item)) {
            const bool isPadded = item.realSize % 2 == 1;
            isStopped = !visit(_RUN{runStart, item.pointer, 0, {}}) ||
                        !visit(_RUN{item.pointer, bodyEnd, isPadded ? 1u : 0u, {0}, true});
            runStart = isPadded && !item.isPadMissing ? bodyEnd + 1 : bodyEnd;
            return !isStopped;
        }
        if (item.pointer == DS64_POINTER && m_ds64Bytes != 0) {
            if (!isRf64) {
                // Same size, so every offset stays; an odd one is padded below.
                isStopped = !visit(HeaderRun(runStart, DS64_POINTER, "JUNK", item.chunk.size));
                runStart = DS64_POINTER + 8;
            } else {
                const uint64_t end = DS64_POINTER + m_ds64Bytes;
                const uint64_t junkAt = DS64_POINTER + DS64_CHUNK_BYTES;
                if (end >= junkAt + 8) {
                    const uint64_t body = (end - junkAt - 8) & ~uint64_t(1);
                    isStopped = !visit(HeaderRun(runStart, DS64_POINTER, "JUNK", uint32_t(body))) ||
                                !visit(_RUN{junkAt + 8, junkAt + 8 + body, 0, {}});
                }
                runStart = end;
                return !isStopped;
            }
            if (isStopped) {
                return false;
            }
        } else if (!RealSizeRun(item, runStart, visit, isStopped)) {
            return false;
        }
        if (item.realSize % 2 == 1) {
            // The pad byte is written as a zero, also where it is missing.
            _RUN run{runStart, bodyEnd, 1, {0}};
            if (!visit(run)) {
                isStopped = true;
                return false;
            }
            runStart = item.isPadMissing ? bodyEnd : bodyEnd + 1;
        }
        return true;
    });
    if (!isWalked || isStopped || !isFound || !m_strHugeChunk.empty()) {
        return false;
    }
    _RUN run{runStart, dataHeader, 0, {}};
    return visit(run);
}

std::string CPolySource::HugeReason() const {
    return Quoted(m_strPath) + " cannot be split: its chunk " + Quoted(m_strHugeChunk) + " of " +
           std::to_string(m_hugeSize) + " bytes is too large to be carried.";
}

bool CPolySource::WalkTrail(const RUNVISIT& visit) {
    m_strCutChunk.clear();
    m_cutSize = 0;
    m_leftOver = 0;
    uint64_t runStart = m_trailPointer;
    uint64_t end = m_trailPointer; // after the last chunk handled
    bool isStopped = false;
    auto hand = [&](const _RUN& run) {
        isStopped = isStopped || !visit(run);
        return !isStopped;
    };
    const bool isWalked = m_file.WalkChunks(m_trailPointer, [&](const CBwfFile::_CHUNKITEM& item) {
        if (!item.isComplete) {
            return false;
        }
        const uint64_t bodyEnd = item.pointer + 8 + item.realSize;
        if (bodyEnd > m_fileSize) {
            const uint32_t held = uint32_t(m_fileSize - item.pointer - 8);
            m_strCutChunk.assign(item.chunk.id, 4);
            m_cutSize = held;
            m_cutDeclared = item.realSize;
            _RUN head{runStart, item.pointer + 4, 4, {}};
            PutLe32(head.bytes, held);
            _RUN body{item.pointer + 8, m_fileSize, held % 2, {0}};
            if (hand(head)) {
                hand(body);
            }
            runStart = end = m_fileSize;
            return false;
        }
        if (IsRewrittenIXml(item)) {
            const bool isPadded = item.realSize % 2 == 1;
            hand(_RUN{runStart, item.pointer, 0, {}}) &&
                hand(_RUN{item.pointer, bodyEnd, isPadded ? 1u : 0u, {0}, true});
            end = isPadded && !item.isPadMissing && bodyEnd < m_fileSize ? bodyEnd + 1 : bodyEnd;
            runStart = end;
            return !isStopped;
        }
        if (!RealSizeRun(item, runStart, hand, isStopped)) {
            return false;
        }
        end = bodyEnd;
        if (item.realSize % 2 == 1) {
            if (!hand(_RUN{runStart, bodyEnd, 1, {0}})) {
                return false;
            }
            // Missing at the end of the file too: the zero above stands in.
            if (!item.isPadMissing && bodyEnd < m_fileSize) {
                ++end;
            }
            runStart = end;
        }
        return true;
    });
    if (!isWalked || isStopped || !m_strHugeChunk.empty()) {
        return false;
    }
    m_leftOver = m_fileSize - end;
    return runStart == end || hand(_RUN{runStart, end, 0, {}});
}
