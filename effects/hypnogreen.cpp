#include "effects/hypnogreen.h"

#include "effects/elapsed_time.h"
#include "effects/flash.h"
#include "effects/loudness.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

namespace {

constexpr float kBeatEnergy = 0.65f;
constexpr float kFlashFallPerMs = 0.01f;
constexpr unsigned int kTint = 0x44AA44u;
constexpr float kMaxTintWeight = 90.0f;

}  // namespace

void Hypnogreen::draw() {
    const int elapsed = elapsedMagnitude(vrlGetModulePosition(), lastPosition);
    unsigned int* frame = vrlGetFrameBuffer();
    // The beat and the decay share a frame, so a beat shows already faded by
    // the time this frame took.
    if (spectrumEnergy() > kBeatEnergy) flash = 1.0f;
    flash = fadeFlash(flash, elapsed, kFlashFallPerMs);

    const int weight = truncToInt(flash * kMaxTintWeight);
    for (int i = 0; i < kFramePixels; ++i) frame[i] = blendColor(kTint, frame[i], weight);
}
