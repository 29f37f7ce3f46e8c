#include "CPolyWriter.h"

#include "CBwfFile.h"
#include "CJobPath.h"
#include "CMonoTake.h"
#include "CPlatform.h"
#include "CSampleCopy.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// Bytes of each channel read at a time (whole samples of it), fewer when
// there are so many channels that their blocks together would pass
// BLOCKS_TOTAL, but not fewer than SAMPLE_BLOCK_MIN.
constexpr uint32_t SAMPLE_BLOCK = 64 * 1024;
constexpr uint32_t SAMPLE_BLOCK_MIN = 4 * 1024;
constexpr uint32_t BLOCKS_TOTAL = 4 * 1024 * 1024;
// Bytes gathered before each write to the poly file.
constexpr uint32_t POLY_WRITE_BUFFER = 256 * 1024;
// Bytes of interleaved frames laid out at a time.
constexpr uint32_t INTERLEAVE_RUN = 16 * 1024;
constexpr uint64_t FMT_CHUNK_BYTES = 8 + FMT_BODY_PCM;

enum COPYFAULT { COPYFAULT_NONE, COPYFAULT_READ, COPYFAULT_WRITE };

uint64_t ChunkBytes(uint32_t size) {
    return 8 + uint64_t(size) + (size % 2);
}

std::string IdText(const char* id) {
    return Quoted(std::string(id, 4));
}

// ": reason." from the file's last failure, or "." when it gave none;
// shortText stands for a read that met the end of the file.
std::string Reason(const CBwfFile& file, const std::string& shortText) {
    const std::string text = file.GetLastError().isShortRead ? shortText : file.GetErrorText();
    return text.empty() ? "." : ": " + text + ".";
}

// The header with the carried size, the body piece by piece and a zero pad
// byte after an odd body. The poly file is only appended to: a move in it
// would hand its pending writes to the disk once per chunk.
COPYFAULT CopyChunk(CBwfFile& lead, const CMonoTake::_CARRIED& chunk, CBwfFile& poly,
                    const std::atomic<bool>& isCancel) {
    if (poly.WriteFile(chunk.id, 4) != 4 || poly.WriteFile(chunk.size) == 0) {
        return COPYFAULT_WRITE;
    }
    if (lead.SetFilePointer(chunk.pointer + 8) == NO_POINTER) {
        return COPYFAULT_READ;
    }
    unsigned char piece[TRANSFER_PIECE];
    // A cancelled copy stops short; the file is then discarded.
    for (uint32_t done = 0; done < chunk.size && !isCancel.load(std::memory_order_relaxed);) {
        const uint32_t length = std::min(chunk.size - done, TRANSFER_PIECE);
        if (lead.ReadFile(piece, length) != length) {
            return COPYFAULT_READ;
        }
        if (poly.WriteFile(piece, length) != length) {
            return COPYFAULT_WRITE;
        }
        done += length;
    }
    return chunk.size % 2 == 0 || poly.WriteZeroFile(1) == 1 ? COPYFAULT_NONE : COPYFAULT_WRITE;
}

} // namespace

CPolyWriter::CPolyWriter(CMonoTake& take, int convertMode, CJobHost& host,
                         const std::atomic<bool>& isCancel)
    : m_take(take), m_isMetadataFirst(convertMode == 0),
      m_boundary(convertMode == 2 ? 4096 : 32768), m_host(host), m_isCancel(isCancel) {
    MakeIXml();
}

void CPolyWriter::MakeIXml() {
    CMonoTake& take = m_take;
    if (!take.m_isRewriteMetadata || !m_isMetadataFirst) {
        return;
    }
    const CTrackMetadata& lead = take.GetMetadata(0);
    CIXmlTracks defaultXml;
    const CIXmlTracks* pLead = &lead.m_xml;
    const bool isDefault = !take.m_hasKnown[CMonoTake::KNOWN_IXML];
    if (isDefault) {
        if (!defaultXml.Parse(CBwfFile::MakeDefaultIXml())) {
            return;
        }
        pLead = &defaultXml;
    } else if (!lead.m_isIXmlUsable ||
               lead.m_ixmlPointer != take.m_known[CMonoTake::KNOWN_IXML].pointer) {
        return;
    }
    // Channel n's track: its mono's own, or one named by its "bext" line.
    const std::size_t channels = std::size_t(take.m_channels);
    std::vector<const CIXmlTracks*> monos(channels, nullptr);
    std::vector<std::string> names(channels);
    for (std::size_t n = 1; n <= channels; ++n) {
        names[n - 1] = isDefault ? "track" + std::to_string(n) : "";
    }
    for (std::size_t k = 0; k < take.GetCount(); ++k) {
        const CTrackMetadata& metadata = take.GetMetadata(k);
        const int n = take.GetMono(k).number;
        if (metadata.m_isIXmlUsable) {
            monos[std::size_t(n - 1)] = &metadata.m_xml;
        }
        // Only used for a channel whose mono has no track of its own: then
        // this is the name of its "bext" line.
        const std::string name = metadata.GetMonoTrackName(n).strName;
        if (!name.empty()) {
            names[std::size_t(n - 1)] = name;
        }
    }
    m_strIXml = pLead->MakePolyBody(monos, names);
    m_hasOwnIXml = true;
}

uint64_t CPolyWriter::FrontBytes() const {
    const CMonoTake& t = m_take;
    uint64_t bytes =
        (t.m_hasKnown[CMonoTake::KNOWN_BEXT] ? ChunkBytes(t.m_known[CMonoTake::KNOWN_BEXT].size)
                                             : DEFAULT_BEXT_BYTES) +
        FMT_CHUNK_BYTES;
    if (m_isMetadataFirst) {
        bytes += BackBytes() + (m_hasOwnIXml ? ChunkBytes(uint32_t(m_strIXml.size()))
                                : t.m_hasKnown[CMonoTake::KNOWN_IXML]
                                    ? ChunkBytes(t.m_known[CMonoTake::KNOWN_IXML].size)
                                    : DEFAULT_IXML_BYTES);
    }
    return bytes;
}

uint64_t CPolyWriter::BackBytes() const {
    // The markers and the undefined chunks, wherever the mode puts them.
    const CMonoTake& t = m_take;
    return (t.m_hasKnown[CMonoTake::KNOWN_CUE] ? ChunkBytes(t.m_known[CMonoTake::KNOWN_CUE].size)
                                               : DEFAULT_CUE_BYTES) +
           (t.m_hasKnown[CMonoTake::KNOWN_PLST] ? ChunkBytes(t.m_known[CMonoTake::KNOWN_PLST].size)
                                                : DEFAULT_PLST_BYTES) +
           DEFAULT_LIST_BYTES + t.m_undefinedBytes;
}

CJobOutput::_SAMPLESTART CPolyWriter::SampleStart(bool isRf64) const {
    const uint64_t header = 12 + (isRf64 ? DS64_CHUNK_BYTES : 0);
    return CJobOutput::SampleStart(header + FrontBytes(), m_boundary, true);
}

uint64_t CPolyWriter::GetPolyFileSize(bool isRf64) const {
    const uint64_t samples = m_take.m_frames * m_take.m_width * uint64_t(m_take.m_channels);
    return SampleStart(isRf64).dataHeader + 8 + CJobOutput::Filled(samples) +
           (m_isMetadataFirst ? 0 : BackBytes());
}

bool CPolyWriter::WriteDescription(CBwfFile& poly, uint64_t bextPointer,
                                   const std::string& outPath) {
    // The description as written (the lead's, or the default one), with
    // each mono's track line in channel order.
    std::string field(BEXT_DESCRIPTION_BYTES, '\0');
    if (poly.SetFilePointer(bextPointer + 8) == NO_POINTER ||
        poly.ReadFile(&field[0], BEXT_DESCRIPTION_BYTES) != BEXT_DESCRIPTION_BYTES) {
        return false;
    }
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < m_take.GetCount(); ++k) {
        const std::string line = m_take.GetMetadata(k).GetMonoTrackLine(m_take.GetMono(k).number);
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    const std::string fileName = CJobPath::FileName(outPath);
    int leftOut = 0;
    const std::string description =
        CBextTracks::MakePolyDescription(field, lines, fileName, leftOut);
    if (leftOut != 0) {
        m_host.ShowError(Quoted(outPath) + ": " + std::to_string(leftOut) + " of the " +
                         std::to_string(lines.size()) +
                         " track lines of the monos do not fit in its bext description and are "
                         "left out.");
    }
    return poly.SetFilePointer(bextPointer + 8) != NO_POINTER &&
           poly.WriteFile(description.data(), BEXT_DESCRIPTION_BYTES) == BEXT_DESCRIPTION_BYTES;
}

JOBRESULT CPolyWriter::Write(const std::string& outPath) {
    CMonoTake& take = m_take;
    CMonoTake::_MONO& lead = take.Lead();
    const CWaveFormat& format = lead.format;
    const std::size_t count = take.GetCount();
    const int channels = take.m_channels;
    const uint32_t width = take.m_width;
    const uint32_t frameBytes = uint32_t(channels) * width;
    const bool isRf64 = IsRf64();
    auto isCancelled = [&]() { return m_isCancel.load(std::memory_order_relaxed); };

    // Written under a temporary name: a file at outPath stays as it is until
    // the whole poly file replaces it.
    CBwfFile poly;
    // The one file written: larger hand-overs to its writing thread mean
    // fewer waits for it.
    poly.SetWriteBuffer(POLY_WRITE_BUFFER);
    poly.SetRf64Limit(m_rf64Limit);
    if (!poly.CreateTempFile(outPath.c_str())) {
        m_host.ShowError("Cannot create " + Quoted(outPath) + Reason(poly, ""));
        return JOBRESULT_FAILED;
    }
    std::string fault; // why writing stopped, when not the poly file's fault
    auto cancel = [&]() {
        poly.DiscardFile();
        return JOBRESULT_CANCELLED;
    };
    auto fail = [&]() {
        const std::string message =
            fault.empty() ? "Cannot write " + Quoted(outPath) + Reason(poly, "") : fault;
        poly.DiscardFile();
        m_host.ShowError(message);
        return JOBRESULT_FAILED;
    };
    auto copy = [&](const CMonoTake::_CARRIED& chunk) {
        switch (CopyChunk(lead.file, chunk, poly, m_isCancel)) {
        case COPYFAULT_NONE:
            return true;
        case COPYFAULT_READ:
            fault = "Cannot read " + Quoted(lead.strPath) +
                    Reason(lead.file, "the file ends inside its " + IdText(chunk.id) + " chunk");
            return false;
        case COPYFAULT_WRITE:
            break;
        }
        return false;
    };
    auto known = [&](CMonoTake::KNOWN kind, bool (CBwfFile::*writeDefault)()) {
        return take.m_hasKnown[kind] ? copy(take.m_known[kind]) : (poly.*writeDefault)();
    };
    auto writeMarkers = [&]() {
        return known(CMonoTake::KNOWN_CUE, &CBwfFile::CreateDefaultCueChunk) &&
               known(CMonoTake::KNOWN_PLST, &CBwfFile::CreateDefaultPlstChunk) &&
               poly.CreateDefaultListChunk();
    };
    auto writeUndefined = [&]() { return take.EnumUndefined(copy); };

    const std::tm local = CPlatform::LocalTime(std::time(nullptr));
    _FMT fmt;
    fmt.formatTag = format.m_sampleFormat;
    fmt.channels = uint16_t(channels);
    fmt.samplesPerSec = format.m_samplesPerSec;
    fmt.blockAlign = uint16_t(frameBytes);
    fmt.avgBytesPerSec = format.m_samplesPerSec * fmt.blockAlign;
    fmt.bitsPerSample = format.m_bitsPerSample;
    unsigned char fmtBody[FMT_BODY_PCM];
    fmt.Write(fmtBody);
    const uint64_t bextPointer = 12 + (isRf64 ? DS64_CHUNK_BYTES : 0);
    bool isWritten = poly.CreateRiffHeader(isRf64) &&
                     (take.m_hasKnown[CMonoTake::KNOWN_BEXT]
                          ? copy(take.m_known[CMonoTake::KNOWN_BEXT])
                          : poly.CreateDefaultBextChunk(
                                uint16_t(channels), format.m_bitsPerSample, format.m_samplesPerSec,
                                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour, local.tm_min, local.tm_sec)) &&
                     poly.CreateChunk(CHUNK_FMT, FMT_BODY_PCM) &&
                     poly.WriteFile(fmtBody, FMT_BODY_PCM) == FMT_BODY_PCM;
    auto writeIXml = [&]() {
        const uint32_t size = uint32_t(m_strIXml.size());
        return poly.WriteFile("iXML", 4) == 4 && poly.WriteFile(size) != 0 &&
               poly.WriteFile(m_strIXml.data(), size) == size &&
               (size % 2 == 0 || poly.WriteZeroFile(1) == 1);
    };
    if (isWritten && m_isMetadataFirst) {
        isWritten =
            writeMarkers() &&
            (m_hasOwnIXml ? writeIXml()
                          : known(CMonoTake::KNOWN_IXML, &CBwfFile::CreateDefaultIXmlChunk)) &&
            writeUndefined();
    }
    // Where the chunks really end, should a lead have changed since it was
    // measured.
    const uint64_t headerEnd = poly.GetFilePointer();
    isWritten =
        isWritten && headerEnd != NO_POINTER &&
        CJobOutput::WriteDataHeader(poly, CJobOutput::SampleStart(headerEnd, m_boundary, true));
    const uint64_t dataStart = poly.GetFilePointer();
    if (!isWritten || dataStart == NO_POINTER) {
        return isCancelled() ? cancel() : fail();
    }

    // Samples: one block of whole samples from each channel, interleaved.
    // Blocks are large so that the channels are read straight into them,
    // and shrink with many channels so that memory stays bounded.
    const uint32_t blockLimit = std::max(
        SAMPLE_BLOCK_MIN, std::min<uint32_t>(SAMPLE_BLOCK, BLOCKS_TOTAL / uint32_t(count)));
    const uint32_t blockBytes = width * std::max<uint32_t>(1, blockLimit / width);
    const uint32_t blockStride = blockBytes + SampleCopy::SLACK;
    std::unique_ptr<unsigned char[]> blocks(new unsigned char[(count + 1) * blockStride]);
    unsigned char* silence = blocks.get() + count * blockStride;
    std::memset(silence, 0, blockStride);
    const uint32_t framesPerRun = (INTERLEAVE_RUN + frameBytes - 1) / frameBytes;
    std::vector<uint64_t> channelLeft(count);
    for (std::size_t k = 0; k < count; ++k) {
        CMonoTake::_MONO& mono = take.GetMono(k);
        if (mono.dataAvailable != 0) {
            mono.file.SetFilePointer(mono.dataPointer);
            channelLeft[k] = mono.dataAvailable;
        }
    }
    // Channel numbers without a mono stay silent.
    std::vector<const unsigned char*> in(std::size_t(channels), silence);
    const uint64_t dataBytes = take.m_frames * width; // of each channel
    uint64_t remaining = dataBytes;
    uint64_t done = 0;
    m_host.SetProgressBytes(0, dataBytes);
    while (remaining != 0 && !isCancelled()) {
        const uint32_t length = remaining < blockBytes ? uint32_t(remaining) : blockBytes;
        const uint32_t blockSamples = length / width;
        for (std::size_t k = 0; k < count; ++k) {
            CMonoTake::_MONO& mono = take.GetMono(k);
            in[std::size_t(mono.number - 1)] = silence;
            if (channelLeft[k] == 0) {
                continue;
            }
            // A channel shorter than the longest is silent after its samples.
            unsigned char* block = blocks.get() + k * blockStride;
            uint32_t got = channelLeft[k] < length ? uint32_t(channelLeft[k]) : length;
            if (mono.file.ReadFile(block, got) != got) {
                fault = "Cannot read " + Quoted(mono.strPath) +
                        Reason(mono.file, "the file ends inside the data chunk");
                return fail();
            }
            std::memset(block + got, 0, blockStride - got);
            channelLeft[k] -= got;
            in[std::size_t(mono.number - 1)] = block;
        }
        // Laid straight into the poly file's write buffer, in runs whose
        // frames stay in the processor's cache while every channel goes in.
        for (uint32_t first = 0; first < blockSamples; first += framesPerRun) {
            uint32_t run =
                blockSamples - first < framesPerRun ? blockSamples - first : framesPerRun;
            unsigned char* pFrames = poly.BeginWriteFile(run * frameBytes + SampleCopy::SLACK);
            if (pFrames == nullptr) {
                return fail();
            }
            SampleCopy::Interleave(in.data(), channels, first, run, width, pFrames);
            if (poly.EndWriteFile(run * frameBytes) != run * frameBytes) {
                return fail();
            }
        }
        remaining -= length;
        done += length;
        if (done % (1u << 20) < length || remaining == 0) {
            m_host.SetProgressBytes(done, dataBytes);
        }
    }
    if (isCancelled()) {
        return cancel();
    }

    uint64_t dataSize = 0;
    if (!CJobOutput::FillData(poly, dataStart, dataSize) ||
        !CJobOutput::PatchDataSize(poly, dataStart, dataSize, dataSize / frameBytes, isRf64)) {
        return isCancelled() ? cancel() : fail();
    }
    if (!m_isMetadataFirst && !(writeMarkers() && writeUndefined())) {
        return isCancelled() ? cancel() : fail();
    }
    const bool hasDescription = !take.m_hasKnown[CMonoTake::KNOWN_BEXT] ||
                                take.m_known[CMonoTake::KNOWN_BEXT].size >= BEXT_DESCRIPTION_BYTES;
    if (take.m_isRewriteMetadata && hasDescription &&
        !WriteDescription(poly, bextPointer, outPath)) {
        return isCancelled() ? cancel() : fail();
    }
    if (!take.m_hasKnown[CMonoTake::KNOWN_BEXT] ||
        take.m_known[CMonoTake::KNOWN_BEXT].size == BEXT_BODY_BYTES) {
        if (!CJobOutput::RewriteCodingHistory(poly, bextPointer, uint16_t(channels),
                                              format.m_bitsPerSample, format.m_samplesPerSec)) {
            return fail();
        }
    }
    // A walk cut short by the flag leaves chunks out: such a file is no result.
    if (isCancelled()) {
        return cancel();
    }
    if (!poly.CommitFile()) {
        m_host.ShowError("Cannot write " + Quoted(outPath) + Reason(poly, ""));
        return JOBRESULT_FAILED;
    }
    std::error_code error;
    const uint64_t bytes = std::filesystem::file_size(CPlatform::ToPath(outPath), error);
    m_host.FileWritten(outPath, error ? 0 : bytes);
    return JOBRESULT_DONE;
}
