#include "effects/goddess.h"

#include <climits>

#include "effects/elapsed_time.h"
#include "effects/loudness.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Texture;

namespace {

constexpr float kBeatEnergy = 0.65f;
constexpr int kMinSwitchGapMs = 100;  // a switch needs strictly more than this
constexpr float kShrinkPerMs = 0.0015f;

// A random centre that keeps a picture of `size` pixels inside `span`
// pixels. One draw is taken whatever the size, so the random numbers of
// later effects do not depend on the pictures. A picture that does not fit
// (the range would be empty) is centred instead.
int randomCentre(int size, int span) {
    const int draw = nextRandom();
    if (size >= span) return span / 2;
    return draw % (span - size) + size / 2;
}

// Adds to sinceSwitch, saturating instead of overflowing on absurd seeks;
// only "more than 100 ms" matters.
int addElapsed(int total, int elapsed) {
    const long long sum = static_cast<long long>(total) + elapsed;
    return sum > INT_MAX ? INT_MAX : static_cast<int>(sum);
}

}  // namespace

void Goddess::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const int elapsed = elapsedMagnitude(vrlGetModulePosition(), lastPosition);
    sinceSwitch = addElapsed(sinceSwitch, elapsed);

    const float loud = spectrumEnergy();
    spriteScale = spriteScale - static_cast<float>(elapsed) * kShrinkPerMs;

    if (loud > kBeatEnergy && sinceSwitch > kMinSwitchGapMs) {
        imageIndex = (imageIndex + 1) % static_cast<int>(kPictures.size());
        const Texture* picture = vrlGetTexture(kPictures[imageIndex]);
        const int width = static_cast<int>(picture->getWidth());
        const int height = static_cast<int>(picture->getHeight());
        centreX = randomCentre(width, kFrameWidth);
        spriteScale = 1.0f;
        centreY = randomCentre(height, kFrameHeight);
        sinceSwitch = 0;
    }

    Texture* picture = vrlGetTexture(kPictures[imageIndex]);
    const int width = static_cast<int>(picture->getWidth());
    const int height = static_cast<int>(picture->getHeight());
    // The drawn height follows from the width: the pictures keep the
    // frame's 4:3 look whatever their own shape.
    const float drawnWidth = static_cast<float>(width) * spriteScale;
    const float drawnHeight =
        drawnWidth * 0.75f * static_cast<float>(kFrameHeight) / static_cast<float>(kFrameWidth);
    const int x = truncToInt(static_cast<float>(centreX) - drawnWidth * 0.5f);
    const int y = truncToInt(static_cast<float>(centreY) - drawnHeight * 0.5f);
    blitScaledAdd(x, y, width, height, truncToInt(drawnWidth), truncToInt(drawnHeight),
                  picture->getImgData(), frame);
}
