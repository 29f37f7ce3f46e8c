#include "CMonoToPolyJob.h"

#include "CBwfFile.h"
#include "CJobPath.h"
#include "CSampleCopy.h"
#include "CTakeScanner.h"
#include "CWaveFormat.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>

namespace {

const char progressTitle[] = "Mono to Poly";
const char overwriteTitle[] =
    "Over write this file ?\r\n(If you click \"OK\", this file will be deleted.)";
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
// The bext body whose coding history is rewritten, and where that starts.
constexpr uint32_t BEXT_BODY = 858;
constexpr uint64_t BEXT_HISTORY = 12 + 8 + 602;

// Sizes of the chunks written with default contents.
constexpr uint64_t DEFAULT_BEXT_BYTES = 8 + BEXT_BODY;
constexpr uint64_t DEFAULT_CUE_BYTES = 2388;
constexpr uint64_t DEFAULT_PLST_BYTES = 1200;
constexpr uint64_t DEFAULT_LIST_BYTES = 6348;
constexpr uint64_t DEFAULT_IXML_BYTES = 1550;

struct MONOFILE {
    CBwfFile file;
    std::string strPath;
    CWaveFormat format;
    uint64_t dataPointer = 0;   // first byte of the "data" body
    uint64_t dataAvailable = 0; // bytes of the "data" body the file holds
    uint32_t dataSize = 0;
    int number = 0; // the channel
};

// A chunk of the lead file to carry over, reached where it is. size is the
// part of its body that the file holds.
struct CARRIED {
    char id[4];
    uint64_t pointer;
    uint32_t size;
    bool isCut; // the size field runs past the end of the file
};

enum COPYFAULT { COPYFAULT_NONE, COPYFAULT_READ, COPYFAULT_WRITE };

uint64_t ChunkBytes(uint32_t size) {
    return 8 + uint64_t(size) + (size % 2);
}

CARRIED Carried(const char* id, uint64_t pointer, uint32_t size, uint64_t fileSize) {
    CARRIED chunk{{}, pointer, size, false};
    std::memcpy(chunk.id, id, 4);
    const uint64_t held = fileSize >= pointer + 8 ? fileSize - pointer - 8 : 0;
    if (held < size) {
        chunk.size = uint32_t(held);
        chunk.isCut = true;
    }
    return chunk;
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
COPYFAULT CopyChunk(CBwfFile& lead, const CARRIED& chunk, CBwfFile& poly,
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

// The "data" body of a file and how much of it the file holds; false
// without a whole "data" header.
bool FindData(MONOFILE& mono) {
    if (!mono.file.MoveChunk(CHUNK_DATA, 0)) {
        return false;
    }
    const uint64_t pointer = mono.file.GetFilePointer();
    unsigned char header[8];
    if (pointer == NO_POINTER || mono.file.ReadFile(header, 8) != 8) {
        return false;
    }
    const uint64_t fileSize = mono.file.GetFileSize();
    if (fileSize == NO_POINTER || fileSize < pointer + 8) {
        return false;
    }
    mono.dataSize = CBwfFile::BinToDec(header + 4, 4);
    mono.dataPointer = pointer + 8;
    mono.dataAvailable = std::min<uint64_t>(mono.dataSize, fileSize - mono.dataPointer);
    return true;
}

} // namespace

std::string CMonoToPolyJob::PolyPath(const std::string& destFolder, const std::string& takeName) {
    return destFolder + "/" + takeName + ".wav";
}

JOBRESULT CMonoToPolyJob::Run(CJobHost& host, const std::atomic<bool>& isCancel) const {
    const std::string& take = m_strTakeName;
    auto refuse = [&](const std::string& message) {
        host.ShowError(message);
        return JOBRESULT_FAILED;
    };
    auto isCancelled = [&]() { return isCancel.load(std::memory_order_relaxed); };
    // The name goes into the output path: it must name a file in the folder.
    const std::string problem = CJobPath::TakeNameProblem(take);
    if (!problem.empty()) {
        return refuse("Cannot merge: " + problem + "; nothing was written.");
    }
    host.SetProgressText(progressTitle, take);
    const std::string outPath = PolyPath(m_strDestFolder, take);
    const uint64_t boundary = m_convertMode == 2 ? 4096 : 32768;
    const bool isMetadataFirst = m_convertMode == 0;

    // Open and check every mono file before anything is written.
    std::vector<int> arrayChannel = m_arrayChannel;
    std::sort(arrayChannel.begin(), arrayChannel.end());
    arrayChannel.erase(std::unique(arrayChannel.begin(), arrayChannel.end()), arrayChannel.end());
    if (arrayChannel.empty()) {
        return refuse("No mono file of the take " + Quoted(take) + " was found in " +
                      Quoted(m_strSourceFolder) + "; nothing was written.");
    }
    if (arrayChannel.front() < 1 || arrayChannel.back() > CTakeScanner::MAX_CHANNEL) {
        const int n = arrayChannel.front() < 1 ? arrayChannel.front() : arrayChannel.back();
        return refuse("The take " + Quoted(take) + " cannot have a channel " + std::to_string(n) +
                      "; channels run from 1 to " + std::to_string(CTakeScanner::MAX_CHANNEL) +
                      ". Nothing was written.");
    }
    const std::size_t count = arrayChannel.size();
    std::unique_ptr<MONOFILE[]> monos(new MONOFILE[count]);
    for (std::size_t k = 0; k < count; ++k) {
        MONOFILE& mono = monos[k];
        mono.number = arrayChannel[k];
        mono.strPath = CTakeScanner::MonoPath(m_strSourceFolder, take, mono.number);
        std::error_code error;
        // Opening a FIFO would wait for a writer.
        if (std::filesystem::exists(std::filesystem::status(mono.strPath, error)) &&
            !CJobPath::IsRegularFile(mono.strPath)) {
            return refuse(CJobPath::NotRegularMessage(mono.strPath));
        }
        mono.file.SetCancelFlag(&isCancel);
        if (!mono.file.OpenFile(mono.strPath.c_str(), true)) {
            return refuse("Cannot open " + Quoted(mono.strPath) + " for reading" +
                          Reason(mono.file, ""));
        }
        std::string reason;
        if (!mono.format.Read(mono.file, mono.strPath, TRANSFER_PIECE, reason)) {
            return isCancelled() ? JOBRESULT_CANCELLED : refuse(reason);
        }
        if (mono.format.m_channels != 1) {
            return refuse(Quoted(mono.strPath) + " has " + std::to_string(mono.format.m_channels) +
                          " channels; only mono files can be merged.");
        }
    }
    // The highest channel present decides the count; the others below it
    // are silent.
    const int channels = arrayChannel.back();
    MONOFILE& lead = monos[0];
    const CWaveFormat& format = lead.format;
    const uint32_t width = format.m_bytesPerSample;
    const uint32_t frameBytes = uint32_t(channels) * width;
    if (frameBytes > CWaveFormat::MAX_FRAME_BYTES) {
        return refuse(Quoted(lead.strPath) + " has samples of " + std::to_string(width) +
                      " bytes; " + std::to_string(channels) +
                      " channels of them cannot be merged.");
    }
    // Said only once the poly file is being written.
    std::vector<std::string> arrayNote;
    // The poly file is as long as the longest channel, in samples.
    uint64_t frames = 0;
    for (std::size_t k = 0; k < count; ++k) {
        MONOFILE& mono = monos[k];
        if (mono.format.m_bytesPerSample != width ||
            mono.format.m_sampleFormat != format.m_sampleFormat ||
            mono.format.m_samplesPerSec != format.m_samplesPerSec) {
            return refuse(Quoted(mono.strPath) + " has another sample format or rate than " +
                          Quoted(lead.strPath) + "; the channels of a take must match.");
        }
        // A channel without samples is silent.
        if (FindData(mono) && mono.dataAvailable < mono.dataSize) {
            arrayNote.push_back(Quoted(mono.strPath) + " ends before its data chunk does; the " +
                                std::to_string(mono.dataAvailable) +
                                " bytes of samples it holds are merged.");
        }
        frames = std::max(frames, (mono.dataAvailable + width - 1) / width);
    }
    if (isCancelled()) {
        return JOBRESULT_CANCELLED;
    }
    const uint64_t leadFrames = (lead.dataAvailable + width - 1) / width;
    for (std::size_t k = 0; k < count; ++k) {
        const uint64_t length = (monos[k].dataAvailable + width - 1) / width;
        if (length != leadFrames) {
            arrayNote.push_back(Quoted(monos[k].strPath) + " has " + std::to_string(length) +
                                " samples, the lead " + Quoted(lead.strPath) + " " +
                                std::to_string(leadFrames) + "; the poly file has " +
                                std::to_string(frames) +
                                " and each channel is silent after its end.");
        }
    }

    // The lead's chunks, found where they are, cut to the bytes it holds.
    const uint64_t leadSize = lead.file.GetFileSize();
    CARRIED known[4] = {};
    bool hasKnown[4] = {};
    static const char knownId[4][5] = {"bext", "cue ", "plst", "iXML"};
    lead.file.WalkChunks(12, [&](const CBwfFile::_CHUNKITEM& item) {
        for (int k = 0; k < 4 && item.isComplete; ++k) {
            if (!hasKnown[k] && std::memcmp(item.chunk.id, knownId[k], 4) == 0) {
                known[k] = Carried(knownId[k], item.pointer, item.chunk.size, leadSize);
                hasKnown[k] = true;
            }
        }
        return true;
    });
    const CARRIED &bext = known[0], &cue = known[1], &plst = known[2], &ixml = known[3];
    const bool hasBext = hasKnown[0], hasCue = hasKnown[1], hasPlst = hasKnown[2];
    const bool hasIXml = hasKnown[3];
    // A walk ends after a chunk that runs past the end of the file, so there
    // are few such notes whatever the file holds.
    auto noteCut = [&](const CARRIED& chunk) {
        if (chunk.isCut) {
            arrayNote.push_back(Quoted(lead.strPath) + ": the chunk " + IdText(chunk.id) +
                                " runs past the end of the file; the " +
                                std::to_string(chunk.size) + " bytes of it there are carried.");
        }
    };
    for (int k = 0; k < 4; ++k) {
        if (hasKnown[k] && (k != 3 || isMetadataFirst)) {
            noteCut(known[k]);
        }
    }
    // Two walks over the undefined chunks, one here to size them and one to
    // copy them, so that nothing proportional to their number is held.
    uint64_t undefinedBytes = 0;
    lead.file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t pointer) {
        const CARRIED carried = Carried(chunk.id, pointer, chunk.size, leadSize);
        undefinedBytes += ChunkBytes(carried.size);
        noteCut(carried);
        return true;
    });
    if (isCancelled()) {
        return JOBRESULT_CANCELLED;
    }

    // Refuse what a RIFF file cannot hold before anything is written.
    const uint64_t dataBytes = frames * width; // of each channel
    const uint64_t samples = frames * frameBytes;
    const uint64_t filled = (samples + TRANSFER_PIECE - 1) / TRANSFER_PIECE * TRANSFER_PIECE;
    uint64_t metadataBytes = (hasBext ? ChunkBytes(bext.size) : DEFAULT_BEXT_BYTES) + 24 +
                             (hasCue ? ChunkBytes(cue.size) : DEFAULT_CUE_BYTES) +
                             (hasPlst ? ChunkBytes(plst.size) : DEFAULT_PLST_BYTES) +
                             DEFAULT_LIST_BYTES + undefinedBytes;
    if (isMetadataFirst) {
        metadataBytes += hasIXml ? ChunkBytes(ixml.size) : DEFAULT_IXML_BYTES;
    }
    if (filled > 0xFFFFFFFFull ||
        12 + boundary + metadataBytes + filled > CWaveFormat::RIFF_FILE_MAX) {
        return refuse("The poly file " + Quoted(outPath) +
                      " would exceed the 4 GiB that a wave file can hold.");
    }
    // An input of this run at the output path would be lost by the rename.
    std::vector<std::string> arrayInput = m_arrayRunInput;
    for (std::size_t k = 0; k < count; ++k) {
        arrayInput.push_back(monos[k].strPath);
    }
    for (const std::string& input : arrayInput) {
        if (CJobPath::IsSameFile(outPath, input)) {
            return refuse("The poly file " + Quoted(outPath) + " would replace the mono file " +
                          Quoted(input) + " that this run reads; choose another output folder.");
        }
    }

    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(outPath, error)) &&
        !host.AskOverwrite(overwriteTitle, outPath)) {
        return JOBRESULT_DECLINED;
    }
    for (const std::string& note : arrayNote) {
        host.ShowError(note);
    }

    // Written under a temporary name: a file at outPath stays as it is until
    // the whole poly file replaces it.
    CBwfFile poly;
    // The one file written: larger hand-overs to its writing thread mean
    // fewer waits for it.
    poly.SetWriteBuffer(POLY_WRITE_BUFFER);
    if (!poly.CreateTempFile(outPath.c_str())) {
        return refuse("Cannot create " + Quoted(outPath) + Reason(poly, ""));
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
        return refuse(message);
    };
    auto copy = [&](const CARRIED& chunk) {
        switch (CopyChunk(lead.file, chunk, poly, isCancel)) {
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
    auto writeMarkers = [&]() {
        return (hasCue ? copy(cue) : poly.CreateDefaultCueChunk()) &&
               (hasPlst ? copy(plst) : poly.CreateDefaultPlstChunk()) &&
               poly.CreateDefaultListChunk();
    };
    auto writeUndefined = [&]() {
        bool isCopied = true;
        lead.file.EnumUndefineChunk([&](const CBwfFile::_CHUNK& chunk, uint64_t pointer) {
            isCopied = copy(Carried(chunk.id, pointer, chunk.size, leadSize));
            return isCopied;
        });
        return isCopied;
    };

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const uint16_t blockAlign = uint16_t(frameBytes);
    bool isWritten =
        poly.CreateChunk(CHUNK_RIFF, 0) &&
        (hasBext ? copy(bext)
                 : poly.CreateDefaultBextChunk(uint16_t(channels), format.m_bitsPerSample,
                                               format.m_samplesPerSec, local.tm_year + 1900,
                                               local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                               local.tm_min, local.tm_sec)) &&
        poly.CreateChunk(CHUNK_FMT, 16) && poly.WriteFile(format.m_sampleFormat) != 0 &&
        poly.WriteFile(uint16_t(channels)) != 0 && poly.WriteFile(format.m_samplesPerSec) != 0 &&
        poly.WriteFile(uint32_t(format.m_samplesPerSec * blockAlign)) != 0 &&
        poly.WriteFile(blockAlign) != 0 && poly.WriteFile(format.m_bitsPerSample) != 0;
    if (isWritten && isMetadataFirst) {
        isWritten = writeMarkers() && (hasIXml ? copy(ixml) : poly.CreateDefaultIXmlChunk()) &&
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
        if (monos[k].dataAvailable != 0) {
            monos[k].file.SetFilePointer(monos[k].dataPointer);
            channelLeft[k] = monos[k].dataAvailable;
        }
    }
    // Channel numbers without a mono stay silent.
    std::vector<const unsigned char*> in(std::size_t(channels), silence);
    uint64_t remaining = dataBytes;
    uint64_t done = 0;
    host.SetProgressBytes(0, dataBytes);
    while (remaining != 0 && !isCancelled()) {
        const uint32_t length = remaining < blockBytes ? uint32_t(remaining) : blockBytes;
        const uint32_t blockSamples = length / width;
        for (std::size_t k = 0; k < count; ++k) {
            MONOFILE& mono = monos[k];
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
            host.SetProgressBytes(done, dataBytes);
        }
    }
    if (isCancelled()) {
        return cancel();
    }

    uint64_t end = poly.GetFilePointer();
    uint32_t zeros =
        uint32_t((TRANSFER_PIECE - (end - dataStart) % TRANSFER_PIECE) % TRANSFER_PIECE);
    if (end == NO_POINTER || poly.WriteZeroFile(zeros) != zeros ||
        poly.SetFilePointer(dataStart - 4) == NO_POINTER ||
        poly.WriteFile(uint32_t(end + zeros - dataStart)) == 0 ||
        poly.SetFilePointer(end + zeros) == NO_POINTER) {
        return fail();
    }
    if (!isMetadataFirst && !(writeMarkers() && writeUndefined())) {
        return isCancelled() ? cancel() : fail();
    }
    if ((hasBext ? bext.size : BEXT_BODY) == BEXT_BODY) {
        char history[256] = {};
        CBwfFile::MakeCodingHistory(history, sizeof history, uint16_t(channels),
                                    format.m_bitsPerSample, format.m_samplesPerSec);
        if (poly.SetFilePointer(BEXT_HISTORY) == NO_POINTER ||
            poly.WriteFile(history, sizeof history) != sizeof history) {
            return fail();
        }
    }
    // A walk cut short by the flag leaves chunks out: such a file is no result.
    if (isCancelled()) {
        return cancel();
    }
    if (!poly.CommitFile()) {
        return refuse("Cannot write " + Quoted(outPath) + Reason(poly, ""));
    }
    host.SetProgressText(progressTitle, take + "\tFinish !");
    return JOBRESULT_DONE;
}
