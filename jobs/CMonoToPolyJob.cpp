#include "CMonoToPolyJob.h"

#include "CBwfFile.h"
#include "CSampleCopy.h"
#include "CTakeScanner.h"
#include "CWaveFormat.h"

#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

namespace {

const char progressTitle[] = "Mono to Poly";
const char overwriteTitle[] =
    "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)";
constexpr int MAX_CHANNELS = 8;
// Bytes of each channel read at a time (whole samples of it).
constexpr uint32_t SAMPLE_BLOCK = 64 * 1024;
// Bytes gathered before each write to the poly file.
constexpr uint32_t POLY_WRITE_BUFFER = 256 * 1024;
// Bytes of interleaved frames laid out at a time.
constexpr uint32_t INTERLEAVE_RUN = 16 * 1024;

// Sizes of the chunks written with default contents.
constexpr uint64_t DEFAULT_BEXT_BYTES = 866;
constexpr uint64_t DEFAULT_CUE_BYTES = 2388;
constexpr uint64_t DEFAULT_PLST_BYTES = 1200;
constexpr uint64_t DEFAULT_LIST_BYTES = 6348;
constexpr uint64_t DEFAULT_IXML_BYTES = 1550;

struct MONOFILE {
    CBwfFile file;
    std::string strPath;
    CWaveFormat format;
    uint64_t dataPointer = 0;
    uint64_t dataAvailable = 0; // bytes of the "data" payload the file holds
    uint32_t dataSize = 0;
    bool isPresent = false;
};

// A chunk of the lead file to carry over, reached where it is.
struct CARRIED {
    uint64_t pointer;
    uint32_t size;
};

uint64_t ChunkBytes(uint32_t size) {
    return 8 + uint64_t(size) + (size % 2);
}

// Copies a chunk byte for byte, with a pad byte after an odd body so that
// the file stays valid RIFF.
bool CopyChunk(CBwfFile& lead, const CARRIED& chunk, CBwfFile& poly) {
    uint64_t position = poly.GetFilePointer();
    uint64_t bytes = 8 + uint64_t(chunk.size);
    if (position == NO_POINTER || bytes > 0xFFFFFFFFull) {
        return false;
    }
    if (poly.CopyFile(lead, uint32_t(bytes), chunk.pointer, position) != bytes) {
        return false;
    }
    return chunk.size % 2 == 0 || poly.WriteZeroFile(1) == 1;
}

bool FindChunk(CBwfFile& file, uint32_t kind, CARRIED& chunk) {
    if (!file.MoveChunk(kind, 0)) {
        return false;
    }
    chunk.pointer = file.GetFilePointer();
    chunk.size = file.GetChunkSize(kind);
    return chunk.pointer != NO_POINTER;
}

} // namespace

std::string CMonoToPolyJob::PolyPath(const std::string& destFolder, const std::string& takeName) {
    return destFolder + "/" + takeName + ".wav";
}

JOBRESULT CMonoToPolyJob::Run(CJobHost& host, const std::atomic<bool>& isCancel) const {
    const std::string& take = m_strTakeName;
    host.SetProgressText(progressTitle, take);
    const std::string outPath = PolyPath(m_strDestFolder, take);
    const uint64_t boundary = m_convertMode == 2 ? 4096 : 32768;
    const bool isMetadataFirst = m_convertMode == 0;

    auto refuse = [&](const std::string& message) {
        host.ShowError(message);
        return JOBRESULT_FAILED;
    };

    // Open and check every mono file before anything is written.
    std::unique_ptr<MONOFILE[]> monos(new MONOFILE[MAX_CHANNELS]);
    int channels = 0;
    int leadIndex = -1;
    for (int n = 1; n <= MAX_CHANNELS; ++n) {
        if ((m_channelMask >> (n - 1) & 1) == 0) {
            continue;
        }
        MONOFILE& mono = monos[n - 1];
        mono.strPath = CTakeScanner::MonoPath(m_strSourceFolder, take, n);
        if (!mono.file.OpenFile(mono.strPath.c_str(), true)) {
            return refuse("Cannot open " + Quoted(mono.strPath) + " for reading.");
        }
        std::string reason;
        if (!mono.format.Read(mono.file, mono.strPath, TRANSFER_PIECE, reason)) {
            return refuse(reason);
        }
        if (mono.format.m_channels != 1) {
            return refuse(Quoted(mono.strPath) + " has " + std::to_string(mono.format.m_channels) +
                          " channels; only mono files can be merged.");
        }
        mono.isPresent = true;
        channels = n;
        if (leadIndex < 0) {
            leadIndex = n - 1;
        }
    }
    if (leadIndex < 0) {
        return refuse("No mono file of the take \"" + take + "\" was found in " +
                      Quoted(m_strSourceFolder) + "; nothing was written.");
    }
    MONOFILE& lead = monos[leadIndex];
    const CWaveFormat& format = lead.format;
    const uint32_t width = format.m_bytesPerSample;
    const uint32_t frameBytes = uint32_t(channels) * width;
    if (frameBytes > TRANSFER_PIECE) {
        return refuse(Quoted(lead.strPath) + " has samples of " + std::to_string(width) +
                      " bytes; " + std::to_string(channels) +
                      " channels of them cannot be merged.");
    }
    for (int n = 0; n < channels; ++n) {
        MONOFILE& mono = monos[n];
        if (!mono.isPresent) {
            continue;
        }
        if (mono.format.m_bytesPerSample != width ||
            mono.format.m_sampleFormat != format.m_sampleFormat ||
            mono.format.m_samplesPerSec != format.m_samplesPerSec) {
            return refuse(Quoted(mono.strPath) + " has another sample format or rate than " +
                          Quoted(lead.strPath) + "; the channels of a take must match.");
        }
        // A channel without samples is silent.
        if (mono.file.MoveChunk(CHUNK_DATA, 8)) {
            mono.dataSize = mono.file.GetChunkSize(CHUNK_DATA);
            mono.dataPointer = mono.file.GetFilePointer();
            uint64_t fileSize = mono.file.GetFileSize();
            if (mono.dataPointer <= fileSize) {
                uint64_t held = fileSize - mono.dataPointer;
                mono.dataAvailable = held < mono.dataSize ? held : mono.dataSize;
            }
        }
    }
    const uint64_t dataBytes = lead.dataAvailable;
    if (dataBytes < lead.dataSize) {
        host.ShowError(Quoted(lead.strPath) + " ends before its data chunk does; the " +
                       std::to_string(dataBytes) + " bytes of samples it holds are merged.");
    }

    // The lead's chunks, found where they are.
    const uint32_t exist = lead.file.EnumExistChunk();
    CARRIED bext{}, cue{}, plst{}, ixml{};
    const bool hasBext = (exist & CHUNK_BEXT) != 0 && FindChunk(lead.file, CHUNK_BEXT, bext);
    const bool hasCue = (exist & CHUNK_CUE) != 0 && FindChunk(lead.file, CHUNK_CUE, cue);
    const bool hasPlst = (exist & CHUNK_PLST) != 0 && FindChunk(lead.file, CHUNK_PLST, plst);
    const bool hasIXml = (exist & CHUNK_IXML) != 0 && FindChunk(lead.file, CHUNK_IXML, ixml);
    std::vector<CARRIED> arrayUndefined;
    const int32_t undefinedCount = lead.file.EnumUndefineChunk();
    for (int32_t i = 0; i < undefinedCount; ++i) {
        CBwfFile::_CHUNK chunk;
        uint64_t pointer = 0;
        if (lead.file.GetUndefineChunk(i, &chunk, &pointer)) {
            arrayUndefined.push_back({pointer, chunk.size});
        }
    }

    // Every carried chunk must lie whole inside the lead file.
    const uint64_t leadSize = lead.file.GetFileSize();
    for (const CARRIED* pChunk : {hasBext ? &bext : nullptr, hasCue ? &cue : nullptr,
                                  hasPlst ? &plst : nullptr, hasIXml ? &ixml : nullptr}) {
        if (pChunk != nullptr && pChunk->pointer + 8 + pChunk->size > leadSize) {
            return refuse("A chunk of " + Quoted(lead.strPath) +
                          " runs past the end of the file; it cannot be carried over.");
        }
    }
    for (const CARRIED& chunk : arrayUndefined) {
        if (chunk.pointer + 8 + chunk.size > leadSize) {
            return refuse("A chunk of " + Quoted(lead.strPath) +
                          " runs past the end of the file; it cannot be carried over.");
        }
    }

    // Refuse what a RIFF file cannot hold before anything is written.
    const uint64_t frames = (dataBytes + width - 1) / width;
    const uint64_t samples = frames * frameBytes;
    const uint64_t filled = (samples + TRANSFER_PIECE - 1) / TRANSFER_PIECE * TRANSFER_PIECE;
    uint64_t metadataBytes = (hasBext ? ChunkBytes(bext.size) : DEFAULT_BEXT_BYTES) + 24 +
                             (hasCue ? ChunkBytes(cue.size) : DEFAULT_CUE_BYTES) +
                             (hasPlst ? ChunkBytes(plst.size) : DEFAULT_PLST_BYTES) +
                             DEFAULT_LIST_BYTES;
    if (isMetadataFirst) {
        metadataBytes += hasIXml ? ChunkBytes(ixml.size) : DEFAULT_IXML_BYTES;
    }
    for (const CARRIED& chunk : arrayUndefined) {
        metadataBytes += ChunkBytes(chunk.size);
    }
    if (filled > 0xFFFFFFFFull ||
        12 + boundary + metadataBytes + filled > CWaveFormat::RIFF_FILE_MAX) {
        return refuse("The poly file " + Quoted(outPath) +
                      " would exceed the 4 GiB that a wave file can hold.");
    }

    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(outPath, error))) {
        for (int n = 0; n < channels; ++n) {
            if (monos[n].isPresent &&
                std::filesystem::equivalent(outPath, monos[n].strPath, error)) {
                return refuse(Quoted(outPath) + " is one of the take's own mono files; " +
                              "choose another output folder.");
            }
        }
        if (!host.AskOverwrite(overwriteTitle, outPath)) {
            return JOBRESULT_DECLINED;
        }
        std::filesystem::remove(outPath, error);
    }

    CBwfFile poly;
    // The one file written: larger hand-overs to its writing thread mean
    // fewer waits for it.
    poly.SetWriteBuffer(POLY_WRITE_BUFFER);
    if (!poly.CreateBlankFile(outPath.c_str())) {
        return refuse("Cannot create " + Quoted(outPath) + ".");
    }
    auto fail = [&](const std::string& message) {
        poly.CloseFile();
        std::error_code removeError;
        std::filesystem::remove(outPath, removeError);
        return refuse(message);
    };
    const std::string cannotWrite = "Cannot write " + Quoted(outPath) + " (is the disk full?).";

    // Metadata blocks; a failed read of the lead and a failed write of the
    // poly file are told apart by the poly file's position.
    auto writeMarkers = [&]() {
        return (hasCue ? CopyChunk(lead.file, cue, poly) : poly.CreateDefaultCueChunk()) &&
               (hasPlst ? CopyChunk(lead.file, plst, poly) : poly.CreateDefaultPlstChunk()) &&
               poly.CreateDefaultListChunk();
    };
    auto writeUndefined = [&]() {
        for (const CARRIED& chunk : arrayUndefined) {
            if (!CopyChunk(lead.file, chunk, poly)) {
                return false;
            }
        }
        return true;
    };

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const uint16_t blockAlign = uint16_t(frameBytes);
    bool isWritten =
        poly.CreateChunk(CHUNK_RIFF, 0) &&
        (hasBext ? CopyChunk(lead.file, bext, poly)
                 : poly.CreateDefaultBextChunk(uint16_t(channels), format.m_bitsPerSample,
                                               format.m_samplesPerSec, local.tm_year + 1900,
                                               local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                               local.tm_min, local.tm_sec)) &&
        poly.CreateChunk(CHUNK_FMT, 16) && poly.WriteFile(format.m_sampleFormat) != 0 &&
        poly.WriteFile(uint16_t(channels)) != 0 && poly.WriteFile(format.m_samplesPerSec) != 0 &&
        poly.WriteFile(uint32_t(format.m_samplesPerSec * blockAlign)) != 0 &&
        poly.WriteFile(blockAlign) != 0 && poly.WriteFile(format.m_bitsPerSample) != 0;
    if (isWritten && isMetadataFirst) {
        isWritten = writeMarkers() &&
                    (hasIXml ? CopyChunk(lead.file, ixml, poly) : poly.CreateDefaultIXmlChunk()) &&
                    writeUndefined();
    }
    uint64_t position = poly.GetFilePointer();
    if (isWritten && position != NO_POINTER && position + 16 <= boundary) {
        uint32_t padBytes = uint32_t(boundary - position - 16);
        isWritten =
            poly.CreateChunk(CHUNK_PAD, padBytes) && poly.WriteZeroFile(padBytes) == padBytes;
    }
    isWritten = isWritten && poly.CreateChunk(CHUNK_DATA, 0);
    const uint64_t dataStart = poly.GetFilePointer();
    if (!isWritten || dataStart == NO_POINTER) {
        return fail(cannotWrite);
    }

    // Samples: one block of whole samples from each channel, interleaved.
    // Blocks are large so that the channels are read straight into them.
    const uint32_t blockBytes = width * (SAMPLE_BLOCK / width);
    const uint32_t blockStride = blockBytes + SampleCopy::SLACK;
    std::unique_ptr<unsigned char[]> blocks(new unsigned char[(channels + 1) * blockStride]);
    unsigned char* silence = blocks.get() + channels * blockStride;
    std::memset(silence, 0, blockStride);
    const uint32_t framesPerRun = (INTERLEAVE_RUN + frameBytes - 1) / frameBytes;
    uint64_t channelLeft[MAX_CHANNELS] = {};
    for (int n = 0; n < channels; ++n) {
        if (monos[n].isPresent && monos[n].dataAvailable != 0) {
            monos[n].file.SetFilePointer(monos[n].dataPointer);
            channelLeft[n] = monos[n].dataAvailable;
        }
    }
    uint64_t remaining = dataBytes;
    uint64_t done = 0;
    host.SetProgressBytes(0, dataBytes);
    while (remaining != 0 && !isCancel.load(std::memory_order_relaxed)) {
        const uint32_t length = remaining < blockBytes ? uint32_t(remaining) : blockBytes;
        const uint32_t blockSamples = (length + width - 1) / width;
        const unsigned char* in[MAX_CHANNELS];
        for (int n = 0; n < channels; ++n) {
            in[n] = silence;
            if (channelLeft[n] == 0) {
                continue;
            }
            // A channel shorter than the lead is silent after its own samples.
            unsigned char* block = blocks.get() + n * blockStride;
            uint32_t got = channelLeft[n] < length ? uint32_t(channelLeft[n]) : length;
            if (monos[n].file.ReadFile(block, got) != got) {
                return fail("Cannot read " + Quoted(monos[n].strPath) + ".");
            }
            std::memset(block + got, 0, blockStride - got);
            channelLeft[n] -= got;
            in[n] = block;
        }
        // Laid straight into the poly file's write buffer, in runs whose
        // frames stay in the processor's cache while every channel goes in.
        for (uint32_t first = 0; first < blockSamples; first += framesPerRun) {
            uint32_t run =
                blockSamples - first < framesPerRun ? blockSamples - first : framesPerRun;
            unsigned char* frames = poly.BeginWriteFile(run * frameBytes + SampleCopy::SLACK);
            if (frames == nullptr) {
                return fail(cannotWrite);
            }
            SampleCopy::Interleave(in, channels, first, run, width, frames);
            if (poly.EndWriteFile(run * frameBytes) != run * frameBytes) {
                return fail(cannotWrite);
            }
        }
        remaining -= length;
        done += length;
        if (done % (1u << 20) < length || remaining == 0) {
            host.SetProgressBytes(done, dataBytes);
        }
    }
    if (isCancel.load(std::memory_order_relaxed)) {
        poly.CloseFile();
        std::filesystem::remove(outPath, error);
        host.SetProgressText(progressTitle, take + "\tFinish !");
        return JOBRESULT_CANCELLED;
    }

    uint64_t end = poly.GetFilePointer();
    uint32_t zeros =
        uint32_t((TRANSFER_PIECE - (end - dataStart) % TRANSFER_PIECE) % TRANSFER_PIECE);
    if (end == NO_POINTER || poly.WriteZeroFile(zeros) != zeros ||
        poly.SetFilePointer(dataStart - 4) == NO_POINTER ||
        poly.WriteFile(uint32_t(end + zeros - dataStart)) == 0 ||
        poly.SetFilePointer(end + zeros) == NO_POINTER) {
        return fail(cannotWrite);
    }
    if (!isMetadataFirst && !(writeMarkers() && writeUndefined())) {
        return fail(cannotWrite);
    }
    if (poly.GetChunkSize(CHUNK_BEXT) == 858 && poly.MoveChunk(CHUNK_BEXT, 610)) {
        char history[256] = {};
        CBwfFile::MakeCodingHistory(history, sizeof history, uint16_t(channels),
                                    format.m_bitsPerSample, format.m_samplesPerSec);
        if (poly.WriteFile(history, sizeof history) != sizeof history) {
            return fail(cannotWrite);
        }
    }
    host.SetProgressText(progressTitle, take + "\tFinish !");
    if (!poly.CloseFile()) {
        std::filesystem::remove(outPath, error);
        return refuse(cannotWrite);
    }
    return JOBRESULT_DONE;
}
