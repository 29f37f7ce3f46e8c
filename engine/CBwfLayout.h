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

// ---- "fmt " ---------------------------------------------------------------

constexpr uint16_t FORMAT_PCM = 1;
constexpr uint16_t FORMAT_FLOAT = 3;
constexpr uint16_t FORMAT_EXTENSIBLE = 0xFFFE;
// Body sizes: the PCM fields, and the extensible form with its channel mask
// and sub-format.
constexpr uint32_t FMT_BODY_PCM = 16;
constexpr uint32_t FMT_BODY_EXTENSIBLE = 40;
// Offsets in the body of the fields a mono file's copy rewrites.
constexpr uint32_t FMT_CHANNELS_AT = 2;
constexpr uint32_t FMT_BYTE_RATE_AT = 8;
constexpr uint32_t FMT_BLOCK_ALIGN_AT = 12;
constexpr uint32_t FMT_CHANNEL_MASK_AT = 20;

// A "fmt " body as the engine and the jobs read and write it.
struct _FMT {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    // Read from an extensible body of FMT_BODY_EXTENSIBLE bytes or more.
    bool isExtensible = false;
    uint32_t channelMask = 0;
    uint16_t subFormat = 0; // the sub-format GUID's tag

    // The fields of the size bytes at body (all of them readable); false,
    // nothing changed, when they are fewer than FMT_BODY_PCM.
    bool Read(const unsigned char* body, uint32_t size) {
        if (size < FMT_BODY_PCM) {
            return false;
        }
        auto get = [body](uint32_t at, int count) {
            uint32_t value = 0;
            for (int i = count - 1; i >= 0; --i) {
                value = value << 8 | body[at + i];
            }
            return value;
        };
        formatTag = uint16_t(get(0, 2));
        channels = uint16_t(get(FMT_CHANNELS_AT, 2));
        samplesPerSec = get(4, 4);
        avgBytesPerSec = get(FMT_BYTE_RATE_AT, 4);
        blockAlign = uint16_t(get(FMT_BLOCK_ALIGN_AT, 2));
        bitsPerSample = uint16_t(get(14, 2));
        isExtensible = formatTag == FORMAT_EXTENSIBLE && size >= FMT_BODY_EXTENSIBLE;
        channelMask = isExtensible ? get(FMT_CHANNEL_MASK_AT, 4) : 0;
        subFormat = isExtensible ? uint16_t(get(24, 2)) : 0;
        return true;
    }
    // The FMT_BODY_PCM bytes of the PCM fields (formatTag as it stands).
    void Write(unsigned char* body) const {
        auto put = [body](uint32_t at, uint32_t value, int count) {
            for (int i = 0; i < count; ++i) {
                body[at + i] = uint8_t(value >> 8 * i);
            }
        };
        put(0, formatTag, 2);
        put(FMT_CHANNELS_AT, channels, 2);
        put(4, samplesPerSec, 4);
        put(FMT_BYTE_RATE_AT, avgBytesPerSec, 4);
        put(FMT_BLOCK_ALIGN_AT, blockAlign, 2);
        put(14, bitsPerSample, 2);
    }
};

// ---- "bext" ---------------------------------------------------------------

// The fields of the 858-byte body the engine writes, in order.
constexpr uint32_t BEXT_DESCRIPTION_BYTES = 256;
constexpr uint32_t BEXT_ORIGINATOR_BYTES = 32;
constexpr uint32_t BEXT_ORIGINATOR_REFERENCE_BYTES = 32;
constexpr uint32_t BEXT_DATE_BYTES = 10;
constexpr uint32_t BEXT_TIME_BYTES = 8;
constexpr uint32_t BEXT_TIME_REFERENCE_BYTES = 8;
constexpr uint32_t BEXT_VERSION_BYTES = 2;
constexpr uint32_t BEXT_RESERVED_BYTES = 254;
// The coding history: a fixed 256-byte field at the end of the body. Only a
// "bext" of exactly BEXT_BODY_BYTES has it there and gets it rewritten.
constexpr uint32_t BEXT_CODING_HISTORY_AT = BEXT_DESCRIPTION_BYTES + BEXT_ORIGINATOR_BYTES +
                                            BEXT_ORIGINATOR_REFERENCE_BYTES + BEXT_DATE_BYTES +
                                            BEXT_TIME_BYTES + BEXT_TIME_REFERENCE_BYTES +
                                            BEXT_VERSION_BYTES + BEXT_RESERVED_BYTES;
constexpr uint32_t BEXT_CODING_HISTORY_BYTES = 256;
constexpr uint32_t BEXT_BODY_BYTES = BEXT_CODING_HISTORY_AT + BEXT_CODING_HISTORY_BYTES;
static_assert(BEXT_CODING_HISTORY_AT == 602 && BEXT_BODY_BYTES == 858, "bext layout");

// ---- Default chunks -------------------------------------------------------

// Slots of the default "cue ", "plst" and "adtl" chunks.
constexpr uint32_t MARKER_SLOTS = 99;
constexpr uint32_t CUE_POINT_BYTES = 24;
constexpr uint32_t PLST_SEGMENT_BYTES = 12;
constexpr uint32_t LABEL_TEXT_BYTES = 52;
constexpr uint32_t LABEL_CHUNK_BYTES = 8 + 4 + LABEL_TEXT_BYTES;
// The default chunks, header included, as CBwfFile's writers lay them out.
constexpr uint64_t DEFAULT_BEXT_BYTES = 8 + BEXT_BODY_BYTES;
constexpr uint64_t DEFAULT_CUE_BYTES = 8 + 4 + MARKER_SLOTS * CUE_POINT_BYTES;
constexpr uint64_t DEFAULT_PLST_BYTES = 8 + 4 + MARKER_SLOTS * PLST_SEGMENT_BYTES;
constexpr uint64_t DEFAULT_LIST_BYTES = 8 + 4 + MARKER_SLOTS * LABEL_CHUNK_BYTES;
// The iXML text is built at run time; its writer checks it against this.
constexpr uint32_t DEFAULT_IXML_BODY = 1542;
constexpr uint64_t DEFAULT_IXML_BYTES = 8 + DEFAULT_IXML_BODY;
static_assert(DEFAULT_CUE_BYTES == 2388 && DEFAULT_PLST_BYTES == 1200 && DEFAULT_LIST_BYTES == 6348,
              "default marker chunks");
