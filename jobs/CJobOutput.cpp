#include "CJobOutput.h"

#include <algorithm>

namespace CJobOutput {

_SAMPLESTART SampleStart(uint64_t headerEnd, uint64_t boundary, bool isPadAllowed) {
    _SAMPLESTART start{false, 0, headerEnd};
    if (isPadAllowed && headerEnd + 16 <= boundary) {
        start.isPadded = true;
        start.padBytes = uint32_t(boundary - 16 - headerEnd);
        start.dataHeader = boundary - 8;
    }
    return start;
}

uint64_t Filled(uint64_t bytes) {
    return (bytes + TRANSFER_PIECE - 1) / TRANSFER_PIECE * TRANSFER_PIECE;
}

uint64_t DataHeld(uint64_t dataPointer, uint64_t dataSize, uint64_t fileSize) {
    return fileSize > dataPointer ? std::min(dataSize, fileSize - dataPointer) : 0;
}

bool WriteDataHeader(CBwfFile& file, const _SAMPLESTART& start) {
    if (start.isPadded && (!file.CreateChunk(CHUNK_PAD, start.padBytes) ||
                           file.WriteZeroFile(start.padBytes) != start.padBytes)) {
        return false;
    }
    return file.CreateChunk(CHUNK_DATA, 0);
}

bool FillData(CBwfFile& file, uint64_t dataStart, uint64_t& dataSize) {
    const uint64_t end = file.GetFilePointer();
    if (end == NO_POINTER || dataStart == NO_POINTER || end < dataStart) {
        return false;
    }
    const uint32_t zeros = uint32_t(Filled(end - dataStart) - (end - dataStart));
    dataSize = end - dataStart + zeros;
    return file.WriteZeroFile(zeros) == zeros;
}

bool PatchDataSize(CBwfFile& file, uint64_t dataStart, uint64_t dataSize, uint64_t sampleCount,
                   bool isRf64) {
    if (isRf64) {
        // Found by a walk from the start; the engine keeps its "ds64" view.
        return file.SetDataSize64(dataSize, sampleCount);
    }
    const uint64_t position = file.GetFilePointer();
    return position != NO_POINTER && dataSize <= 0xFFFFFFFFull &&
           file.SetFilePointer(dataStart - 4) != NO_POINTER &&
           file.WriteFile(uint32_t(dataSize)) != 0 && file.SetFilePointer(position) != NO_POINTER;
}

bool RewriteCodingHistory(CBwfFile& file, uint64_t bextPointer, uint16_t channels,
                          uint16_t bitsPerSample, uint32_t samplesPerSec) {
    char history[BEXT_CODING_HISTORY_BYTES] = {};
    CBwfFile::MakeCodingHistory(history, sizeof history, channels, bitsPerSample, samplesPerSec);
    return file.SetFilePointer(bextPointer + 8 + BEXT_CODING_HISTORY_AT) != NO_POINTER &&
           file.WriteFile(history, sizeof history) == sizeof history;
}

} // namespace CJobOutput
