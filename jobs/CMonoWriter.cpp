#include "CMonoWriter.h"

#include "CBwfFile.h"
#include "CJobPath.h"
#include "CPlatform.h"
#include "CPolySource.h"
#include "CSampleCopy.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

// Samples begin here when the source's header leaves room for a "pad " chunk.
constexpr uint64_t MONO_SAMPLE_START = 32768;
constexpr uint64_t PAD_LIMIT = MONO_SAMPLE_START - 9;

// Bytes of the poly file's samples read at a time (whole frames of it).
constexpr uint32_t SAMPLE_BLOCK = 64 * 1024;

struct OUTFILE {
    CBwfFile file;
    // The file's own "iXML" is this much longer than the source's.
    int64_t ixmlGrowth = 0;
    uint32_t offset = 0; // of the channel's sample within a frame
    uint64_t dataStart = 0;
    uint64_t dataSize = 0;
    int number = 0;
    std::string strPath;
};

// The speaker bit of the n-th channel: the n-th lowest set bit of the mask.
uint32_t SpeakerBit(uint32_t mask, int number) {
    for (uint32_t bit = 1; bit != 0; bit <<= 1) {
        if ((mask & bit) != 0 && --number == 0) {
            return bit;
        }
    }
    return 0;
}

uint64_t ChunkBytes(uint64_t size) {
    return 8 + size + size % 2;
}

std::string Why(const CBwfFile& file, const char* fallback) {
    const std::string text = file.GetErrorText();
    return text.empty() ? fallback : text;
}

} // namespace

CMonoWriter::CMonoWriter(CPolySource& source, CJobHost& host, const std::atomic<bool>& isCancel)
    : m_source(source), m_host(host), m_isCancel(isCancel) {}

CJobOutput::_SAMPLESTART CMonoWriter::GetMonoSampleStart(bool isRf64, int64_t ixmlGrowth) const {
    // The pad bytes put back, an RF64 file's "ds64" and a longer "iXML" come
    // out of the "pad " chunk, so that the samples still start at 32768.
    const int64_t growth = m_source.m_isIXmlInHeader ? ixmlGrowth : 0;
    return CJobOutput::SampleStart(m_source.GetMonoHeaderBytes(isRf64) + uint64_t(growth),
                                   MONO_SAMPLE_START, m_source.m_dataPointer <= PAD_LIMIT);
}

uint64_t CMonoWriter::GetMonoFileSize(bool isRf64, int64_t ixmlGrowth) const {
    const CWaveFormat& format = m_source.m_format;
    uint64_t frameBytes = uint64_t(format.m_channels) * format.m_bytesPerSample;
    uint64_t frames = (m_source.m_dataAvailable + frameBytes - 1) / frameBytes;
    const int64_t trailGrowth = m_source.m_isIXmlInHeader ? 0 : ixmlGrowth;
    return GetMonoSampleStart(isRf64, ixmlGrowth).dataHeader + 8 +
           CJobOutput::Filled(frames * format.m_bytesPerSample) + m_source.m_trailMonoBytes +
           uint64_t(trailGrowth);
}

JOBRESULT CMonoWriter::Write(const std::vector<_CHANNEL>& channels, int totalFiles,
                             const PROGRESS& progress) {
    const CWaveFormat& format = m_source.m_format;
    const uint32_t width = format.m_bytesPerSample;
    const uint32_t frameBytes = uint32_t(format.m_channels) * width;
    CBwfFile& source = m_source.m_file;

    const std::size_t count = channels.size();
    std::unique_ptr<OUTFILE[]> outs(new OUTFILE[count]);
    auto discard = [&]() {
        for (std::size_t k = 0; k < count; ++k) {
            outs[k].file.DiscardFile();
        }
    };
    auto fail = [&](const std::string& message) {
        discard();
        m_host.ShowError(message);
        return JOBRESULT_FAILED;
    };
    auto cancelled = [&]() {
        discard();
        return JOBRESULT_CANCELLED;
    };
    auto isCancel = [&]() { return m_isCancel.load(std::memory_order_relaxed); };
    auto cannotWrite = [&](const OUTFILE& out) {
        return fail("Cannot write " + Quoted(out.strPath) + ": " +
                    Why(out.file, "the write failed") + ".");
    };
    auto cannotRead = [&](const char* shortRead) {
        const std::string why = source.GetLastError().isShortRead && shortRead != nullptr
                                    ? std::string(shortRead)
                                    : Why(source, "the read failed");
        return fail("Cannot read " + Quoted(m_source.m_strPath) + ": " + why + ".");
    };

    // Each file's own "iXML" is made again when it is written rather than
    // held: there may be 64 of them.
    const CTrackMetadata& metadata = m_source.m_metadata;
    const bool isIXmlRewritten = m_source.m_isRewriteMetadata && metadata.m_isIXmlUsable;
    auto makeIXml = [&](const OUTFILE& out, std::string& body) {
        return isIXmlRewritten && metadata.MakeMonoIXml(out.number, totalFiles, body);
    };
    // All files of a pass take one form: the header walk differs between
    // the two when the source has a "ds64".
    bool isRf64 = false;
    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        out.number = channels[k].number;
        out.strPath = channels[k].strPath;
        out.offset = uint32_t(out.number - 1) * width;
        std::string body;
        if (makeIXml(out, body)) {
            out.ixmlGrowth =
                int64_t(ChunkBytes(body.size())) - int64_t(ChunkBytes(metadata.m_ixmlSize));
        }
        isRf64 = isRf64 || GetMonoFileSize(false, out.ixmlGrowth) > m_rf64Limit;
    }
    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        if (!out.file.CreateTempFile(out.strPath.c_str())) {
            m_isCreateFailed = true;
            return fail("Cannot create a file beside " + Quoted(out.strPath) + ": " +
                        Why(out.file, "the name is refused") + ".");
        }
        out.file.SetCancelFlag(&m_isCancel);
        out.file.SetRf64Limit(m_rf64Limit);
        if (!out.file.CreateRiffHeader(isRf64)) {
            return cannotWrite(out);
        }
    }

    // The source's runs go to every file at once; a failure is noted here
    // and ends the walk.
    const uint32_t readBytes = frameBytes * std::max<uint32_t>(1, SAMPLE_BLOCK / frameBytes);
    std::unique_ptr<unsigned char[]> in(new unsigned char[readBytes + frameBytes]);
    bool isReadFailed = false;
    std::size_t failedOut = count;
    auto writeAll = [&](const unsigned char* bytes, uint32_t length) {
        for (std::size_t k = 0; k < count; ++k) {
            if (outs[k].file.WriteFile(bytes, length) != length) {
                failedOut = k;
                return false;
            }
        }
        return true;
    };
    auto writeIXml = [&]() {
        for (std::size_t k = 0; k < count; ++k) {
            std::string body;
            makeIXml(outs[k], body);
            CBwfFile& file = outs[k].file;
            const uint32_t size = uint32_t(body.size());
            if (file.WriteFile("iXML", 4) != 4 || file.WriteFile(size) == 0 ||
                file.WriteFile(body.data(), size) != size ||
                (size % 2 == 1 && file.WriteZeroFile(1) != 1)) {
                failedOut = k;
                return false;
            }
        }
        return true;
    };
    const CPolySource::RUNVISIT copyRun = [&](const CPolySource::_RUN& run) {
        if (run.isIXml && isIXmlRewritten) {
            return writeIXml();
        }
        for (uint64_t at = run.from; at < run.to;) {
            if (isCancel()) {
                return false;
            }
            uint32_t length = uint32_t(std::min<uint64_t>(run.to - at, readBytes));
            if (source.SetFilePointer(at) == NO_POINTER || source.ReadFile(in.get(), length) == 0) {
                isReadFailed = true;
                return false;
            }
            if (!writeAll(in.get(), length)) {
                return false;
            }
            at += length;
        }
        return writeAll(run.bytes, run.count);
    };
    auto walkFailed = [&]() {
        if (isReadFailed) {
            return cannotRead(nullptr);
        }
        if (failedOut != count) {
            return cannotWrite(outs[failedOut]);
        }
        if (isCancel()) {
            return cancelled();
        }
        return fail(Quoted(m_source.m_strPath) + " changed while it was being split.");
    };

    source.ClearError();
    if (!m_source.WalkHeader(isRf64, copyRun)) {
        return walkFailed();
    }
    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        if (!CJobOutput::WriteDataHeader(out.file, GetMonoSampleStart(isRf64, out.ixmlGrowth))) {
            return cannotWrite(out);
        }
        out.dataStart = out.file.GetFilePointer();
    }

    // Large blocks: the poly file is read straight into them, and each
    // channel's samples are gathered straight into its file's write buffer.
    uint64_t remaining = m_source.m_dataAvailable;
    uint64_t done = 0;
    source.ClearError();
    source.SetFilePointer(m_source.m_dataPointer);
    while (remaining != 0) {
        if (isCancel()) {
            return cancelled();
        }
        uint32_t length = remaining < readBytes ? uint32_t(remaining) : readBytes;
        if (source.ReadFile(in.get(), length) != length) {
            return cannotRead("the file ends inside the data chunk");
        }
        uint32_t frames = (length + frameBytes - 1) / frameBytes;
        if (length % frameBytes != 0) {
            // The missing bytes of a last, partial frame read as zero.
            std::memset(in.get() + length, 0, frameBytes - length % frameBytes);
        }
        const uint32_t samples = frames * width;
        for (std::size_t k = 0; k < count; ++k) {
            OUTFILE& out = outs[k];
            unsigned char* pOut = out.file.BeginWriteFile(samples + SampleCopy::SLACK);
            if (pOut == nullptr) {
                return cannotWrite(out);
            }
            SampleCopy::Gather(in.get() + out.offset, frameBytes, pOut, frames, width);
            if (out.file.EndWriteFile(samples) != samples) {
                return cannotWrite(out);
            }
        }
        remaining -= length;
        done += length;
        if (progress && (done % (1u << 20) < length || remaining == 0)) {
            progress(done);
        }
    }
    if (isCancel()) {
        return cancelled();
    }

    for (std::size_t k = 0; k < count; ++k) {
        if (!CJobOutput::FillData(outs[k].file, outs[k].dataStart, outs[k].dataSize)) {
            return cannotWrite(outs[k]);
        }
    }
    source.ClearError();
    if (!m_source.WalkTrail(copyRun)) {
        return walkFailed();
    }

    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        CBwfFile& mono = out.file;
        if (!CJobOutput::PatchDataSize(mono, out.dataStart, out.dataSize, out.dataSize / width,
                                       isRf64)) {
            return isCancel() ? cancelled() : cannotWrite(out);
        }
        // The fields that say how many channels a frame holds.
        bool isPatched = mono.MoveChunk(CHUNK_FMT, 8 + FMT_CHANNELS_AT) &&
                         mono.WriteFile(uint16_t(1)) != 0 &&
                         mono.MoveChunk(CHUNK_FMT, 8 + FMT_BYTE_RATE_AT) &&
                         mono.WriteFile(uint32_t(width * format.m_samplesPerSec)) != 0 &&
                         mono.WriteFile(uint16_t(width)) != 0;
        if (isPatched && format.m_isExtensible) {
            isPatched = mono.MoveChunk(CHUNK_FMT, 8 + FMT_CHANNEL_MASK_AT) &&
                        mono.WriteFile(SpeakerBit(format.m_channelMask, out.number)) != 0;
        }
        if (!isPatched) {
            return isCancel() ? cancelled() : cannotWrite(out);
        }
        std::string description;
        if (m_source.m_isRewriteMetadata &&
            metadata.MakeMonoDescription(out.number, CJobPath::FileName(out.strPath),
                                         description) &&
            !(mono.MoveChunk(CHUNK_BEXT, 8) &&
              mono.WriteFile(description.data(), BEXT_DESCRIPTION_BYTES) ==
                  BEXT_DESCRIPTION_BYTES)) {
            return isCancel() ? cancelled() : cannotWrite(out);
        }
        if (mono.GetChunkSize(CHUNK_BEXT) == BEXT_BODY_BYTES && mono.MoveChunk(CHUNK_BEXT, 0)) {
            const uint64_t bext = mono.GetFilePointer();
            if (bext == NO_POINTER ||
                !CJobOutput::RewriteCodingHistory(mono, bext, 1, format.m_bitsPerSample,
                                                  format.m_samplesPerSec)) {
                return cannotWrite(out);
            }
        }
    }
    if (isCancel()) {
        return cancelled();
    }
    // Only now, with every file of the pass complete, do they replace what
    // stands at their names.
    for (std::size_t k = 0; k < count; ++k) {
        if (!outs[k].file.CommitFile()) {
            return cannotWrite(outs[k]);
        }
        std::error_code error;
        const uint64_t bytes =
            std::filesystem::file_size(CPlatform::ToPath(outs[k].strPath), error);
        m_host.FileWritten(outs[k].strPath, error ? 0 : bytes);
    }
    return JOBRESULT_DONE;
}
