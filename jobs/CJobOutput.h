#pragma once

#include "CBwfFile.h"

#include <cstdint>

// What split and merge both do to the files they write: where the samples
// start, the "data" chunk's zero fill and size, the coding history. Both
// directions lay out RIFF files below their writer's RF64 limit and RF64
// files above it (CBwfFile::IsRf64Size of the RIFF layout's size), the same
// chunks either way.
namespace CJobOutput {

// Where the "data" header stands after a header ending at headerEnd: behind
// a "pad " chunk that puts the first sample at boundary, when isPadAllowed
// and there is room for the pad chunk's header; otherwise right there.
struct _SAMPLESTART {
    bool isPadded;
    uint32_t padBytes; // the "pad " body
    uint64_t dataHeader;
};
_SAMPLESTART SampleStart(uint64_t headerEnd, uint64_t boundary, bool isPadAllowed);

// bytes rounded up to the fill of a written "data" chunk (TRANSFER_PIECE).
uint64_t Filled(uint64_t bytes);

// Of a "data" body of dataSize bytes at dataPointer, those a file of
// fileSize bytes holds.
uint64_t DataHeld(uint64_t dataPointer, uint64_t dataSize, uint64_t fileSize);

// At the current position: the "pad " chunk of start (zero bytes) when it
// has one, then the "data" header with a size of 0.
bool WriteDataHeader(CBwfFile& file, const _SAMPLESTART& start);

// Zero bytes at the current position up to a multiple of TRANSFER_PIECE
// counted from dataStart, the first sample byte; dataSize is then the whole
// body. False when the position is unknown or the write failed.
bool FillData(CBwfFile& file, uint64_t dataStart, uint64_t& dataSize);

// The "data" size: in its 32-bit field for a RIFF file (dataSize must fit);
// for an RF64 file SIZE_IN_DS64 there and dataSize and sampleCount in
// "ds64". The position is restored.
bool PatchDataSize(CBwfFile& file, uint64_t dataStart, uint64_t dataSize, uint64_t sampleCount,
                   bool isRf64);

// Rewrites the coding history of the "bext" chunk at bextPointer, which
// must have a body of BEXT_BODY_BYTES, for the given format.
bool RewriteCodingHistory(CBwfFile& file, uint64_t bextPointer, uint16_t channels,
                          uint16_t bitsPerSample, uint32_t samplesPerSec);

} // namespace CJobOutput
