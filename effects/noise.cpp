#include "effects/noise.h"

#include <array>

#include "engine/random.h"
#include "engine/vrl.h"
#include "render/pixel_ops.h"

namespace {

constexpr unsigned int kGreyStep = 0x010101u;  // one step in red, green and blue

}  // namespace

Noise::Noise(int amplitude) : amplitude(amplitude) {}

void Noise::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    // An amplitude below 1 would be a modulo by zero (or a sign flip); it
    // adds nothing, like amplitude 1, and still takes one draw per pixel so
    // that the effects after it see the same random numbers.
    const int bound = amplitude < 1 ? 1 : amplitude;
    std::array<int, kFrameStride> draws;  // a row's draws at once: see nextRandoms
    for (int start = 0; start < kFramePixels; start += kFrameStride) {
        nextRandoms(draws.data(), kFrameStride);
        unsigned int* pixels = frame + start;
        for (int i = 0; i < kFrameStride; ++i) {
            const unsigned int grey = static_cast<unsigned int>(draws[i] % bound);
            pixels[i] = addSaturate(pixels[i], grey * kGreyStep);
        }
    }
}
