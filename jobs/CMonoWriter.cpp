#include "CMonoWriter.h"

#include "CBwfFile.h"
#include "CPolySource.h"
#include "CSampleCopy.h"

#include <cstdio>
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
    uint32_t offset = 0; // of the channel's sample within a frame
    uint64_t dataStart = 0;
    int number = 0;
    std::string strPath;
    bool isCreated = false;
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

} // namespace

CMonoWriter::CMonoWriter(CPolySource& source, CJobHost& host, const std::atomic<bool>& isCancel)
    : m_source(source), m_host(host), m_isCancel(isCancel) {}

uint64_t CMonoWriter::GetMonoFileSize() const {
    const CWaveFormat& format = m_source.m_format;
    uint64_t frameBytes = uint64_t(format.m_channels) * format.m_bytesPerSample;
    uint64_t frames = (m_source.m_dataAvailable + frameBytes - 1) / frameBytes;
    uint64_t samples = frames * format.m_bytesPerSample;
    uint64_t filled = (samples + TRANSFER_PIECE - 1) / TRANSFER_PIECE * TRANSFER_PIECE;
    uint64_t start =
        m_source.m_dataPointer <= PAD_LIMIT ? MONO_SAMPLE_START : m_source.m_dataPointer;
    return start + filled + (m_source.m_fileSize - m_source.m_trailPointer);
}

JOBRESULT CMonoWriter::Write(const std::vector<_CHANNEL>& channels, const PROGRESS& progress) {
    const CWaveFormat& format = m_source.m_format;
    const uint32_t width = format.m_bytesPerSample;
    const uint32_t frameBytes = uint32_t(format.m_channels) * width;
    const uint64_t dataPointer = m_source.m_dataPointer;
    CBwfFile& source = m_source.m_file;

    const std::size_t count = channels.size();
    std::unique_ptr<OUTFILE[]> outs(new OUTFILE[count]);
    auto discard = [&]() {
        for (std::size_t k = 0; k < count; ++k) {
            if (outs[k].isCreated) {
                outs[k].file.CloseFile();
                std::error_code error;
                std::filesystem::remove(outs[k].strPath, error);
            }
        }
    };
    auto fail = [&](const std::string& message) {
        discard();
        m_host.ShowError(message);
        return JOBRESULT_FAILED;
    };
    auto cannotWrite = [&](const OUTFILE& out) {
        return fail("Cannot write " + Quoted(out.strPath) + " (is the disk full?).");
    };
    const std::string cannotRead = "Cannot read " + Quoted(m_source.m_strPath) + ".";

    if (GetMonoFileSize() > CWaveFormat::RIFF_FILE_MAX) {
        return fail("The mono files of " + Quoted(m_source.m_strPath) +
                    " would exceed the 4 GiB that a wave file can hold.");
    }

    // Every file gets its header before the samples are read.
    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        out.number = channels[k].number;
        out.strPath = channels[k].strPath;
        out.offset = uint32_t(out.number - 1) * width;
        if (!out.file.CreateBlankFile(out.strPath.c_str())) {
            m_isCreateFailed = true;
            return fail("Cannot create " + Quoted(out.strPath) + ".");
        }
        out.isCreated = true;
        uint32_t headerBytes = uint32_t(dataPointer - 8);
        if (out.file.CopyFile(source, headerBytes, 0, 0) != headerBytes) {
            return fail(cannotRead);
        }
        if (dataPointer <= PAD_LIMIT) {
            uint32_t padBytes = uint32_t(MONO_SAMPLE_START - 8 - dataPointer);
            if (!out.file.CreateChunk(CHUNK_PAD, padBytes) ||
                out.file.WriteZeroFile(padBytes) != padBytes) {
                return cannotWrite(out);
            }
        }
        if (!out.file.CreateChunk(CHUNK_DATA, 0)) {
            return cannotWrite(out);
        }
        out.dataStart = out.file.GetFilePointer();
    }

    // Large blocks: the poly file is read straight into them, and each
    // channel's samples are gathered straight into its file's write buffer.
    const uint32_t readBytes = frameBytes * (SAMPLE_BLOCK / frameBytes);
    std::unique_ptr<unsigned char[]> in(new unsigned char[readBytes + frameBytes]);
    uint64_t remaining = m_source.m_dataAvailable;
    uint64_t done = 0;
    source.SetFilePointer(dataPointer);
    while (remaining != 0) {
        if (m_isCancel.load(std::memory_order_relaxed)) {
            discard();
            return JOBRESULT_CANCELLED;
        }
        uint32_t length = remaining < readBytes ? uint32_t(remaining) : readBytes;
        if (source.ReadFile(in.get(), length) != length) {
            return fail(cannotRead);
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
    if (m_isCancel.load(std::memory_order_relaxed)) {
        discard();
        return JOBRESULT_CANCELLED;
    }

    for (std::size_t k = 0; k < count; ++k) {
        OUTFILE& out = outs[k];
        CBwfFile& mono = out.file;
        uint64_t end = mono.GetFilePointer();
        uint64_t samples = end - out.dataStart;
        uint32_t zeros = uint32_t((TRANSFER_PIECE - samples % TRANSFER_PIECE) % TRANSFER_PIECE);
        if (end == NO_POINTER || mono.WriteZeroFile(zeros) != zeros) {
            return cannotWrite(out);
        }
        end += zeros;
        if (mono.SetFilePointer(out.dataStart - 4) == NO_POINTER ||
            mono.WriteFile(uint32_t(samples + zeros)) == 0) {
            return cannotWrite(out);
        }
        uint64_t trailBytes = m_source.m_fileSize - m_source.m_trailPointer;
        if (trailBytes != 0 && mono.CopyFile(source, uint32_t(trailBytes), m_source.m_trailPointer,
                                             end) != trailBytes) {
            return fail(cannotRead);
        }
        bool isPatched = mono.MoveChunk(CHUNK_FMT, 10) && mono.WriteFile(uint16_t(1)) != 0 &&
                         mono.SeekFile(4, POINTERBASE_CURRENT) != NO_POINTER &&
                         mono.WriteFile(uint32_t(width * format.m_samplesPerSec)) != 0 &&
                         mono.WriteFile(uint16_t(width)) != 0;
        if (isPatched && format.m_isExtensible) {
            isPatched = mono.MoveChunk(CHUNK_FMT, 28) &&
                        mono.WriteFile(SpeakerBit(format.m_channelMask, out.number)) != 0;
        }
        if (!isPatched) {
            return cannotWrite(out);
        }
        if (mono.GetChunkSize(CHUNK_BEXT) == 858 && mono.MoveChunk(CHUNK_BEXT, 610)) {
            char history[256] = {};
            CBwfFile::MakeCodingHistory(history, sizeof history, 1, format.m_bitsPerSample,
                                        format.m_samplesPerSec);
            if (mono.WriteFile(history, sizeof history) != sizeof history) {
                return cannotWrite(out);
            }
        }
        if (!mono.CloseFile()) {
            return cannotWrite(out);
        }
    }
    return JOBRESULT_DONE;
}
