#pragma once
// The per-pixel walk shared by the Rytina overlays: each pixel gets one
// random byte, scaled by the loudness of the frame, and a class's own mix
// turns that amount into a new pixel.
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
// addGreyCarrying(pixel, n) when `unclamped`, else mix(pixel, n).
//
// A divisor of 0 would make the level infinite (or NaN in silence); such an
// overlay leaves the frame alone, but still takes its one draw per pixel so
// that later effects see the same random numbers.
template <typename Mix>
void shakeFrame(float divisor, bool unclamped, Mix mix) {
    unsigned int* frame = vrlGetFrameBuffer();
    const float sum = spectrumSum();
    if (divisor == 0.0f) {
        for (int i = 0; i < kFramePixels; ++i) nextRandom();
        return;
    }
    const float level = sum / divisor;
    for (int i = 0; i < kFramePixels; ++i) {
        const int amount = truncToInt(static_cast<float>(nextRandom() & 255) * level);
        frame[i] = unclamped ? addGreyCarrying(frame[i], amount) : mix(frame[i], amount);
    }
}
