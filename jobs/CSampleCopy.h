#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The inner loops of splitting and merging. Samples are moved as bytes, b
// bytes each, never converted. 24-bit samples, the common case, are moved as
// 4-byte words whose fourth byte is overwritten by the next sample, so every
// buffer these loops read or write needs SLACK bytes after its last sample.
namespace SampleCopy {

constexpr uint32_t SLACK = 4;

template <uint32_t WIDTH> inline void Move(unsigned char* out, const unsigned char* in) {
    if (WIDTH == 3) {
        std::memcpy(out, in, 4);
    } else {
        std::memcpy(out, in, WIDTH);
    }
}

template <uint32_t WIDTH>
inline void GatherFixed(const unsigned char* in, uint32_t inStride, unsigned char* out,
                        uint32_t count) {
#pragma GCC unroll 8
    for (uint32_t i = 0; i < count; ++i, in += inStride, out += WIDTH) {
        Move<WIDTH>(out, in);
    }
}

// count samples taken every inStride bytes of in, packed into out.
inline void Gather(const unsigned char* in, uint32_t inStride, unsigned char* out, uint32_t count,
                   uint32_t width) {
    switch (width) {
    case 2:
        return GatherFixed<2>(in, inStride, out, count);
    case 3:
        return GatherFixed<3>(in, inStride, out, count);
    case 4:
        return GatherFixed<4>(in, inStride, out, count);
    default:
        for (uint32_t i = 0; i < count; ++i, in += inStride, out += width) {
            std::memcpy(out, in, width);
        }
    }
}

// Any sample width and channel count, one sample at a time.
inline void InterleaveAny(const unsigned char* const* in, int channels, uint32_t first,
                          uint32_t count, uint32_t width, unsigned char* out) {
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t at = (std::size_t(first) + i) * width;
        for (int n = 0; n < channels; ++n, out += width) {
            std::memcpy(out, in[n] + at, width);
        }
    }
}

template <uint32_t WIDTH, int CHANNELS>
inline void InterleaveFixed(const unsigned char* const* in, uint32_t first, uint32_t count,
                            unsigned char* out) {
    const unsigned char* pIn[CHANNELS];
    for (int n = 0; n < CHANNELS; ++n) {
        pIn[n] = in[n] + first * WIDTH;
    }
    // Frame by frame: the output is written once, front to back; the spare
    // byte of a 24-bit move lands on the next sample, written after it.
    for (uint32_t i = 0; i < count; ++i, out += CHANNELS * WIDTH) {
#pragma GCC unroll 8
        for (int n = 0; n < CHANNELS; ++n) {
            Move<WIDTH>(out + n * WIDTH, pIn[n] + i * WIDTH);
        }
    }
}

// More channels than the fixed forms cover: the same frame-by-frame order,
// the channel count read at run time.
template <uint32_t WIDTH>
inline void InterleaveMany(const unsigned char* const* in, int channels, uint32_t first,
                           uint32_t count, unsigned char* out) {
    const std::size_t offset = std::size_t(first) * WIDTH;
    for (uint32_t i = 0; i < count; ++i) {
        const std::size_t at = offset + std::size_t(i) * WIDTH;
        for (int n = 0; n < channels; ++n, out += WIDTH) {
            Move<WIDTH>(out, in[n] + at);
        }
    }
}

template <uint32_t WIDTH>
inline void InterleaveWidth(const unsigned char* const* in, int channels, uint32_t first,
                            uint32_t count, unsigned char* out) {
    switch (channels) {
    case 1:
        return InterleaveFixed<WIDTH, 1>(in, first, count, out);
    case 2:
        return InterleaveFixed<WIDTH, 2>(in, first, count, out);
    case 3:
        return InterleaveFixed<WIDTH, 3>(in, first, count, out);
    case 4:
        return InterleaveFixed<WIDTH, 4>(in, first, count, out);
    case 5:
        return InterleaveFixed<WIDTH, 5>(in, first, count, out);
    case 6:
        return InterleaveFixed<WIDTH, 6>(in, first, count, out);
    case 7:
        return InterleaveFixed<WIDTH, 7>(in, first, count, out);
    case 8:
        return InterleaveFixed<WIDTH, 8>(in, first, count, out);
    default:
        return InterleaveMany<WIDTH>(in, channels, first, count, out);
    }
}

// Frames first to first + count - 1 of the packed channels in[0..channels-1],
// interleaved into out in channel order.
inline void Interleave(const unsigned char* const* in, int channels, uint32_t first, uint32_t count,
                       uint32_t width, unsigned char* out) {
    switch (width) {
    case 2:
        return InterleaveWidth<2>(in, channels, first, count, out);
    case 3:
        return InterleaveWidth<3>(in, channels, first, count, out);
    case 4:
        return InterleaveWidth<4>(in, channels, first, count, out);
    default:
        return InterleaveAny(in, channels, first, count, width, out);
    }
}

} // namespace SampleCopy
