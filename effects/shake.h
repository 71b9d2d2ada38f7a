#pragma once
// The per-pixel walk shared by the Rytina overlays: each pixel gets one
// random byte, scaled by the loudness of the frame, and a class's own mix
// turns that amount into a new pixel.
#include <array>

#include "effects/loudness.h"
#include "engine/frame.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"

// The unclamped look: the grey amount is added as a plain 32-bit sum, so a
// channel that passes 255 carries into the next one and the pixel wraps.
inline unsigned int addGreyCarrying(unsigned int pixel, int amount) {
    return pixel + static_cast<unsigned int>(amount) * 0x010101u;
}

// Shakes the FrameBuffer: level = spectrum sum / divisor; per pixel
// n = trunc((draw & 255) * level), then the pixel becomes
// addGreyCarrying(pixel, n) when `unclamped`, else apply(pixel, shade(n)).
//
// n takes one of 256 values in a frame, so n and shade(n) are worked out
// once per frame into a table and the per-pixel work is a draw, a lookup
// and the mix. The draws, one per pixel of the buffer in order, come a row
// at a time (nextRandoms).
//
// A divisor of 0 would make the level infinite (or NaN in silence); such an
// overlay leaves the frame alone, but still takes its one draw per pixel so
// that later effects see the same random numbers.
template <typename Shade, typename Apply>
void shakeFrame(float divisor, bool unclamped, Shade shade, Apply apply) {
    unsigned int* frame = vrlGetFrameBuffer();
    const float sum = spectrumSum();
    std::array<int, kFrameStride> draws;
    if (divisor == 0.0f) {
        for (int start = 0; start < kFramePixels; start += kFrameStride) nextRandoms(draws.data(), kFrameStride);
        return;
    }
    const float level = sum / divisor;
    std::array<int, 256> amounts;
    std::array<decltype(shade(0)), 256> shades;
    for (int byte = 0; byte < 256; ++byte) {
        amounts[byte] = truncToInt(static_cast<float>(byte) * level);
        shades[byte] = shade(amounts[byte]);
    }
    for (int start = 0; start < kFramePixels; start += kFrameStride) {
        nextRandoms(draws.data(), kFrameStride);
        unsigned int* pixels = frame + start;
        if (unclamped) {
            for (int i = 0; i < kFrameStride; ++i) pixels[i] = addGreyCarrying(pixels[i], amounts[draws[i] & 255]);
        } else {
            for (int i = 0; i < kFrameStride; ++i) pixels[i] = apply(pixels[i], shades[draws[i] & 255]);
        }
    }
}
