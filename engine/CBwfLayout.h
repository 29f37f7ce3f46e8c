#pragma once

// Byte layouts the engine reads and writes, shared with the jobs so that
// their layout arithmetic and the engine's writers agree.

#include <cstdint>

// What the first 4 bytes of a file say.
enum FORM {
    FORM_NONE, // anything else
    FORM_RIFF,
    FORM_RF64,
    FORM_BW64,
};

// The largest file a 32-bit RIFF size field can describe.
constexpr uint64_t RIFF_FILE_MAX = 0xFFFFFFFFull + 8;

// A 32-bit size field with this value in an RF64/BW64 file means: the real
// size is in the "ds64" chunk.
constexpr uint32_t SIZE_IN_DS64 = 0xFFFFFFFF;

// The "ds64" chunk, right after "RF64"/"BW64", size, "WAVE". Positions are
// absolute in the file.
constexpr uint64_t DS64_POINTER = 12;
constexpr uint32_t DS64_BODY_MIN = 28; // riffSize, dataSize, sampleCount, tableLength
constexpr uint64_t DS64_RIFF_SIZE_AT = 20;
constexpr uint64_t DS64_DATA_SIZE_AT = 28;
constexpr uint64_t DS64_SAMPLE_COUNT_AT = 36;
constexpr uint64_t DS64_TABLE_LENGTH_AT = 44;
constexpr uint64_t DS64_TABLE_AT = 48;
constexpr uint32_t DS64_ENTRY_BYTES = 12; // char id[4]; uint64_t size
// The whole chunk as written, header included, with an empty table: an RF64
// layout's "pad " chunk is this much shorter than the RIFF layout's.
constexpr uint32_t DS64_CHUNK_BYTES = 8 + DS64_BODY_MIN;
// Table entries the engine keeps; a file with more is reported as bad.
constexpr uint32_t DS64_TABLE_KEPT = 16;
