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

template <uint32_t WIDTH, bool IS_EXACT>
inline void ScatterFixed(const unsigned char* in, unsigned char* out, uint32_t outStride,
                         uint32_t count) {
#pragma GCC unroll 8
    for (uint32_t i = 0; i < count; ++i, in += WIDTH, out += outStride) {
        if (IS_EXACT) {
            std::memcpy(out, in, WIDTH);
        } else {
            Move<WIDTH>(out, in);
        }
    }
}

// Frames first to first + count - 1 of the packed channels in[0..channels-1],
// interleaved into out in channel order. Channel by channel: the spare byte
// a 24-bit move leaves lands on the next channel's sample, written after it;
// the last channel of a frame is moved exactly.
inline void Interleave(const unsigned char* const* in, int channels, uint32_t first, uint32_t count,
                       uint32_t width, unsigned char* out) {
    const uint32_t frameBytes = uint32_t(channels) * width;
    for (int n = 0; n < channels; ++n) {
        const unsigned char* pIn = in[n] + first * width;
        unsigned char* pOut = out + n * width;
        switch (width) {
        case 2:
            ScatterFixed<2, true>(pIn, pOut, frameBytes, count);
            break;
        case 3:
            if (n + 1 < channels) {
                ScatterFixed<3, false>(pIn, pOut, frameBytes, count);
            } else {
                ScatterFixed<3, true>(pIn, pOut, frameBytes, count);
            }
            break;
        case 4:
            ScatterFixed<4, true>(pIn, pOut, frameBytes, count);
            break;
        default:
            for (uint32_t i = 0; i < count; ++i) {
                std::memcpy(pOut + i * frameBytes, pIn + i * width, width);
            }
        }
    }
}

} // namespace SampleCopy
