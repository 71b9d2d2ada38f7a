#include "effects/noise.h"

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
    for (int i = 0; i < kFramePixels; ++i) {
        const unsigned int grey = static_cast<unsigned int>(nextRandom() % bound);
        frame[i] = addSaturate(frame[i], grey * kGreyStep);
    }
}
