#pragma once

#include <cstdint>
#include <string>

class CBwfFile;

// The "fmt " chunk of an open file as the conversions need it, with the
// checks that decide whether its samples can be split or merged at all.
struct CWaveFormat {
    // The largest frame the conversions take: 1024 channels of 4 bytes, or
    // 512 of 8.
    static constexpr uint32_t MAX_FRAME_BYTES = 4096;

    uint16_t m_formatTag = 0;
    uint16_t m_channels = 0;
    uint32_t m_samplesPerSec = 0;
    uint16_t m_bitsPerSample = 0;
    // Bytes of one frame as declared; Read accepts only channels times
    // m_bytesPerSample.
    uint16_t m_blockAlign = 0;
    // Bytes of one sample's container: (bits + 7) / 8, so 20 bits take 3.
    uint16_t m_bytesPerSample = 0;
    bool m_isExtensible = false;
    uint32_t m_channelMask = 0;
    // PCM or float: the tag, or the extensible sub-format's tag.
    uint16_t m_sampleFormat = 0;

    // Reads the format of file (named path in messages), a RIFF, RF64 or
    // BW64 file. False with a reason naming the file when it is not a
    // RIFF/WAVE file, when its "ds64" chunk is missing or bad (the engine's
    // text of the problem), has no readable "fmt " chunk, holds samples that cannot be
    // (de)interleaved byte by byte (compressed formats, frames over maxFrameBytes), or declares an
    // impossible format: 0 channels, a sample rate of 0, 0 bits per sample, or a block align other
    // than channels times the bytes of a sample. The reason then names the field and its value.
    bool Read(CBwfFile& file, const std::string& path, uint32_t maxFrameBytes, std::string& reason);
};
