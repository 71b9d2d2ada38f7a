#pragma once
// Saturating byte arithmetic on whole pixels.
//
// Every byte of a pixel (bits 24-31 included) is added or subtracted on its
// own and clamped to 0..255. The show does this for every pixel of every
// sprite and overlay, so where the processor has SSE2 (VG_SIMD) the hot
// versions use its packed saturating instructions on the whole 32-bit pixel
// at once; the scalar twins spell out the same rule byte by byte, serve
// every other processor, and check the packed ones.
#include "render/simd.h"

// The byte-by-byte twins. Inline like the packed versions so that a
// comparison of the two measures the arithmetic, not a call.
inline unsigned int addSaturateScalar(unsigned int a, unsigned int b) {
    unsigned int result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const unsigned int sum = ((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu);
        result |= (sum > 0xFFu ? 0xFFu : sum) << shift;
    }
    return result;
}

inline unsigned int subSaturateScalar(unsigned int a, unsigned int b) {
    unsigned int result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const unsigned int left = (a >> shift) & 0xFFu;
        const unsigned int right = (b >> shift) & 0xFFu;
        result |= (left > right ? left - right : 0u) << shift;
    }
    return result;
}

#if VG_SIMD
// Bytes of a + b, each capped at 255.
inline unsigned int addSaturate(unsigned int a, unsigned int b) {
    const __m128i sum = _mm_adds_epu8(_mm_cvtsi32_si128(static_cast<int>(a)),
                                      _mm_cvtsi32_si128(static_cast<int>(b)));
    return static_cast<unsigned int>(_mm_cvtsi128_si32(sum));
}

// Bytes of a - b, each floored at 0 (b is taken from a).
inline unsigned int subSaturate(unsigned int a, unsigned int b) {
    const __m128i difference = _mm_subs_epu8(_mm_cvtsi32_si128(static_cast<int>(a)),
                                             _mm_cvtsi32_si128(static_cast<int>(b)));
    return static_cast<unsigned int>(_mm_cvtsi128_si32(difference));
}
#else
inline unsigned int addSaturate(unsigned int a, unsigned int b) { return addSaturateScalar(a, b); }
inline unsigned int subSaturate(unsigned int a, unsigned int b) { return subSaturateScalar(a, b); }
#endif
