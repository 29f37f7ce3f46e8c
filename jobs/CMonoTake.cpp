#include "CMonoTake.h"

#include "CJobHost.h"
#include "CJobOutput.h"
#include "CJobPath.h"
#include "CPlatform.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

std::string IdText(const char* id) {
    return Quoted(std::string(id, 4));
}

const char knownId[CMonoTake::KNOWN_COUNT][5] = {"bext", "cue ", "plst", "iXML"};

} // namespace

CMonoTake::_CARRIED CMonoTake::Carried(const char* id, uint64_t pointer, uint64_t size) const {
    _CARRIED chunk{{}, pointer, 0, false};
    std::memcpy(chunk.id, id, 4);
    const uint64_t held = m_leadSize >= pointer + 8 ? m_leadSize - pointer - 8 : 0;
    chunk.isCut = held < size;
    // Open refused a lead whose chunks do not fit 32 bits; held < size here.
    chunk.size = uint32_t(std::min(held, size));
    return chunk;
}

bool CMonoTake::RealSize(const char* id, uint32_t size, uint64_t& realSize) const {
    realSize = size;
    if (size != SIZE_IN_DS64) {
        return true;
    }
    for (const _REAL& real : m_arrayReal) {
        if (std::memcmp(real.id, id, 4) == 0) {
            realSize = real.size;
            return true;
        }
    }
    return true;
}

JOBRESULT CMonoTake::Open(const std::string& folder, const std::string& take,
                          const std::vector<int>& channels, bool carriesIXml,
                          const std::atomic<bool>& isCancel, std::string& reason) {
    auto refuse = [&](const std::string& message) {
        reason = message;
        return JOBRESULT_FAILED;
    };
    auto isCancelled = [&]() { return isCancel.load(std::memory_order_relaxed); };
    m_count = channels.size();
    m_arrayMono.reset(new _MONO[m_count]);
    m_arrayNote.clear();
    for (std::size_t k = 0; k < m_count; ++k) {
        _MONO& mono = m_arrayMono[k];
        mono.number = channels[k];
        mono.strPath = CJobPath::FindMonoPath(folder, take, mono.number);
        // Opening a FIFO would wait for a writer.
        std::error_code error;
        if (std::filesystem::exists(
                std::filesystem::status(CPlatform::ToPath(mono.strPath), error)) &&
            !CJobPath::IsRegularFile(mono.strPath)) {
            return refuse(CJobPath::NotRegularMessage(mono.strPath));
        }
        mono.file.SetCancelFlag(&isCancel);
        if (!mono.file.OpenFile(mono.strPath.c_str(), true)) {
            const std::string why = mono.file.GetErrorText();
            return refuse("Cannot open " + Quoted(mono.strPath) + " for reading" +
                          (why.empty() ? "." : ": " + why + "."));
        }
        if (!mono.format.Read(mono.file, mono.strPath, TRANSFER_PIECE, reason)) {
            return isCancelled() ? JOBRESULT_CANCELLED : JOBRESULT_FAILED;
        }
        if (mono.format.m_channels != 1) {
            return refuse(Quoted(mono.strPath) + " has " + std::to_string(mono.format.m_channels) +
                          " channels; only mono files can be merged.");
        }
    }
    // The highest channel present decides the count; the others below it
    // are silent.
    m_channels = channels.back();
    _MONO& lead = Lead();
    const CWaveFormat& format = lead.format;
    m_width = format.m_bytesPerSample;
    if (uint64_t(m_channels) * m_width > CWaveFormat::MAX_FRAME_BYTES) {
        return refuse(Quoted(lead.strPath) + " has samples of " + std::to_string(m_width) +
                      " bytes; " + std::to_string(m_channels) +
                      " channels of them cannot be merged.");
    }
    // The poly file is as long as the longest channel, in samples.
    m_frames = 0;
    for (std::size_t k = 0; k < m_count; ++k) {
        _MONO& mono = m_arrayMono[k];
        if (mono.format.m_bytesPerSample != m_width ||
            mono.format.m_sampleFormat != format.m_sampleFormat ||
            mono.format.m_samplesPerSec != format.m_samplesPerSec) {
            return refuse(Quoted(mono.strPath) + " has another sample format or rate than " +
                          Quoted(lead.strPath) + "; the channels of a take must match.");
        }
        // A channel without samples is silent.
        mono.dataSize = mono.file.GetChunkSize64(CHUNK_DATA); // then at its body
        const uint64_t pointer = mono.file.GetFilePointer();
        const uint64_t fileSize = mono.file.GetFileSize();
        mono.dataAvailable = 0;
        if (mono.dataSize != 0 && pointer != NO_POINTER && fileSize != NO_POINTER) {
            mono.dataPointer = pointer;
            mono.dataAvailable = CJobOutput::DataHeld(pointer, mono.dataSize, fileSize);
        }
        if (mono.dataAvailable < mono.dataSize) {
            m_arrayNote.push_back(Quoted(mono.strPath) + " ends before its data chunk does; the " +
                                  std::to_string(mono.dataAvailable) +
                                  " bytes of samples it holds are merged.");
        }
        m_frames = std::max(m_frames, (mono.dataAvailable + m_width - 1) / m_width);
    }
    if (isCancelled()) {
        return JOBRESULT_CANCELLED;
    }
    const uint64_t leadFrames = (lead.dataAvailable + m_width - 1) / m_width;
    for (std::size_t k = 0; k < m_count; ++k) {
        const uint64_t length = (m_arrayMono[k].dataAvailable + m_width - 1) / m_width;
        if (length != leadFrames) {
            m_arrayNote.push_back(Quoted(m_arrayMono[k].strPath) + " has " +
                                  std::to_string(length) + " samples, the lead " +
                                  Quoted(lead.strPath) + " " + std::to_string(leadFrames) +
                                  "; the poly file has " + std::to_string(m_frames) +
                                  " and each channel is silent after its end.");
        }
    }

    // The lead's chunks, found where they are, cut to the bytes it holds.
    m_leadSize = lead.file.GetFileSize();
    m_arrayReal.clear();
    m_strHuge.clear();
    std::fill(std::begin(m_hasKnown), std::end(m_hasKnown), false);
    lead.file.WalkChunks(12, [&](const CBwfFile::_CHUNKITEM& item) {
        if (!item.isComplete) {
            return true;
        }
        const bool isData = std::memcmp(item.chunk.id, "data", 4) == 0;
        if (item.realSize != item.chunk.size && !isData) {
            // Resolved by a table entry: one per identifier, few of them.
            if (m_arrayReal.size() < DS64_TABLE_KEPT) {
                m_arrayReal.push_back({{}, item.realSize});
                std::memcpy(m_arrayReal.back().id, item.chunk.id, 4);
            }
            if (item.realSize > 0xFFFFFFFFull && m_strHuge.empty()) {
                m_strHuge = Quoted(lead.strPath) + ": its chunk " + IdText(item.chunk.id) + " of " +
                            std::to_string(item.realSize) + " bytes is too large to be carried.";
            }
        }
        for (int k = 0; k < KNOWN_COUNT; ++k) {
            if (!m_hasKnown[k] && std::memcmp(item.chunk.id, knownId[k], 4) == 0) {
                m_known[k] = Carried(knownId[k], item.pointer, item.realSize);
                m_hasKnown[k] = true;
            }
        }
        return true;
    });
    if (!m_strHuge.empty()) {
        return refuse(m_strHuge);
    }
    // A walk ends after a chunk that runs past the end of the file, so there
    // are few such notes whatever the file holds.
    auto noteCut = [&](const _CARRIED& chunk) {
        if (chunk.isCut) {
            m_arrayNote.push_back(Quoted(lead.strPath) + ": the chunk " + IdText(chunk.id) +
                                  " runs past the end of the file; the " +
                                  std::to_string(chunk.size) + " bytes of it there are carried.");
        }
    };
    for (int k = 0; k < KNOWN_COUNT; ++k) {
        if (m_hasKnown[k] && (k != KNOWN_IXML || carriesIXml)) {
            noteCut(m_known[k]);
        }
    }
    m_arrayMetadata.assign(m_isRewriteMetadata ? m_count : 0, CTrackMetadata());
    uint64_t xmlBytes = 0;
    for (std::size_t k = 0; k < m_arrayMetadata.size() && !isCancelled(); ++k) {
        CTrackMetadata& metadata = m_arrayMetadata[k];
        metadata.Read(m_arrayMono[k].file, m_arrayMono[k].strPath);
        if (!metadata.m_strProblem.empty()) {
            m_arrayNote.push_back(metadata.m_strProblem);
        }
        if (metadata.m_isIXmlUsable) {
            xmlBytes += metadata.m_ixmlSize;
            if (xmlBytes > TRACK_XML_MAX) {
                m_arrayNote.push_back(Quoted(m_arrayMono[k].strPath) +
                                      ": the iXML chunks of the take hold too many bytes to be "
                                      "read together; its track is named from its bext line.");
                metadata.m_isIXmlUsable = false;
                metadata.m_xml = CIXmlTracks();
            }
        }
    }
    // Two walks over the undefined chunks, one here to size them and one to
    // copy them, so that nothing proportional to their number is held.
    m_undefinedBytes = 0;
    EnumUndefined([&](const _CARRIED& chunk) {
        m_undefinedBytes += 8 + uint64_t(chunk.size) + chunk.size % 2;
        noteCut(chunk);
        return true;
    });
    return isCancelled() ? JOBRESULT_CANCELLED : JOBRESULT_DONE;
}

bool CMonoTake::EnumUndefined(const CARRIEDVISIT& visit) {
    bool isGoing = true;
    Lead().file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t pointer) {
        uint64_t size = 0;
        RealSize(chunk.id, chunk.size, size);
        isGoing = visit(Carried(chunk.id, pointer, size));
        return isGoing;
    });
    return isGoing;
}
