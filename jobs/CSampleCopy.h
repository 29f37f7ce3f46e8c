#pragma once

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

template <uint32_t WIDTH>
inline void InterleaveFixed(const unsigned char* const* in, int channels, uint32_t first,
                            uint32_t count, unsigned char* out) {
    for (uint32_t i = first; i < first + count; ++i) {
#pragma GCC unroll 8
        for (int n = 0; n < channels; ++n, out += WIDTH) {
            Move<WIDTH>(out, in[n] + i * WIDTH);
        }
    }
}

// Frames first to first + count - 1 of the packed channels in[0..channels-1],
// interleaved into out in channel order.
inline void Interleave(const unsigned char* const* in, int channels, uint32_t first, uint32_t count,
                       uint32_t width, unsigned char* out) {
    switch (width) {
    case 2:
        return InterleaveFixed<2>(in, channels, first, count, out);
    case 3:
        return InterleaveFixed<3>(in, channels, first, count, out);
    case 4:
        return InterleaveFixed<4>(in, channels, first, count, out);
    default:
        for (uint32_t i = first; i < first + count; ++i) {
            for (int n = 0; n < channels; ++n, out += width) {
                std::memcpy(out, in[n] + i * width, width);
            }
        }
    }
}

} // namespace SampleCopy
