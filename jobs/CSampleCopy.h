#pragma once

#include <cstdint>
#include <cstring>

// Copies count samples of width bytes from in to out, stepping inStride and
// outStride bytes: de-interleaving is a copy from a frame stride to a sample
// stride, interleaving the reverse. The widths that recordings use get
// loops with a fixed copy size, which the compiler turns into plain moves.
namespace SampleCopy {

template <uint32_t WIDTH>
inline void CopyFixed(const unsigned char* in, uint32_t inStride, unsigned char* out,
                      uint32_t outStride, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i, in += inStride, out += outStride) {
        std::memcpy(out, in, WIDTH);
    }
}

inline void Copy(const unsigned char* in, uint32_t inStride, unsigned char* out, uint32_t outStride,
                 uint32_t count, uint32_t width) {
    switch (width) {
    case 1:
        return CopyFixed<1>(in, inStride, out, outStride, count);
    case 2:
        return CopyFixed<2>(in, inStride, out, outStride, count);
    case 3:
        return CopyFixed<3>(in, inStride, out, outStride, count);
    case 4:
        return CopyFixed<4>(in, inStride, out, outStride, count);
    default:
        for (uint32_t i = 0; i < count; ++i, in += inStride, out += outStride) {
            std::memcpy(out, in, width);
        }
    }
}

} // namespace SampleCopy
