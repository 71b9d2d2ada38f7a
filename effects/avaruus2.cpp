#include "effects/avaruus2.h"

#include <cmath>
#include <cstdint>

#include "effects/elapsed_time.h"
#include "effects/flare_sprite.h"
#include "effects/loudness.h"
#include "effects/progress.h"
#include "effects/ripple_lens.h"
#include "engine/vrl.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector3;

namespace {

constexpr int kStepMs = 20;
constexpr RippleLens kAvaruus2Lens = {-0.0001314f, 0.0007f, false};

// A grey level from a red channel: dark turns light and light dark, with a
// cubic curve that pushes the mid-tones toward black.
unsigned int invertedGrey(unsigned int pixel) {
    const float darkness = 1.0f - static_cast<float>(pixel & 0xFFu) / 255.0f;
    const int grey = truncToInt(darkness * darkness * darkness * 355.0f);
    const unsigned int level = grey > 255 ? 255u : static_cast<unsigned int>(grey);
    return level * 0x010101u;
}

}  // namespace

Avaruus2::Avaruus2()
    : flarePositions(100), flareSizes(100), flareRotated(100), angleStep(0.01f, -0.005f, -0.00771f) {
    flareCount = 100;
    for (int i = 0; i < flareCount; ++i) {
        const PlacedFlare flare = placeRandomFlare(8.0f, 6.0f);
        flarePositions[i] = flare.position;
        flareSizes[i] = flare.size;
        randomUnit();  // two draws per flare that the cloud does not use
        randomUnit();
    }
    angles = Vector3(0.0f, 0.0f, 0.0f);
    angleStep = Vector3(0.01f, -0.005f, -0.00771f);
    rotateFlares();
    checkFlareImage();
    grid = std::make_unique<DeformGrid>();
    greyTexture.resize(kTexturePixels);
    makeGreyTexture();
}

Avaruus2::~Avaruus2() = default;

void Avaruus2::makeGreyTexture() {
    // The photo's own size is passed so that a picture smaller than the
    // show's 640 x 480 is wrapped instead of read past its end.
    Texture* photo = vrlGetTexture("kuva1.jpg");
    copyPhotoWindow(256, 0, photo->getImgData(), greyTexture.data(),
                    static_cast<int>(photo->getWidth()), static_cast<int>(photo->getHeight()));
    for (unsigned int& pixel : greyTexture) pixel = invertedGrey(pixel);
}

void Avaruus2::rotateFlares() {
    Matrix rotation;
    rotation.makeRotation(angles.x, angles.y, angles.z);
    for (int i = 0; i < flareCount; ++i) flareRotated[i] = flarePositions[i] * rotation;
}

void Avaruus2::draw() {
    const int elapsed = elapsedMagnitude(vrlGetModulePosition(), lastPosition);
    unsigned int* frame = vrlGetFrameBuffer();
    const float energy = spectrumEnergy();

    fillRippleLens(*grid, time, kAvaruus2Lens);
    grid->drawHalfBlend(greyTexture.data(), frame);

    stepClock += elapsed;
    while (stepClock > kStepMs) {
        stepClock -= kStepMs;
        angles += angleStep;
        rotateFlares();
    }

    const float progress = intervalProgress(*this);
    drawFlares(progress, energy, frame);
}

void Avaruus2::drawFlares(float progress, float energy, unsigned int* frame) const {
    const Texture* image = flareImage();
    if (image == nullptr) return;
    // The cloud grows with the square of the progress; the newest flare
    // swells in with the fractional part.
    const float shown = progress * progress * static_cast<float>(flareCount);
    int count = truncToInt(shown);
    const float fraction = shown - static_cast<float>(count);
    if (count >= flareCount) count = flareCount;

    for (int i = 0; i < count; ++i) {
        const FlareFootprint footprint = projectFlare(flareRotated[i], flareSizes[i]);
        if (!footprint.visible) continue;
        std::int64_t width = footprint.width;
        if (i == count - 1) {
            width = truncToInt(static_cast<float>(width) * fraction);
            if (width == 0) continue;
        }
        // Subtracting flares swell faster with the music than adding ones.
        const float swell = (i % 2 == 0) ? 0.5f * energy * energy : 0.0f;
        const int size = truncToInt(static_cast<float>(width) * (energy + 1.0f + swell));
        if (size == INT_MIN) continue;  // no defined size (an absurd energy)
        drawFlareSprite(i, footprint.centreX, footprint.centreY, size, *image, frame);
    }
}
