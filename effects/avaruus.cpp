#include "effects/avaruus.h"

#include <cmath>

#include "effects/elapsed_time.h"
#include "effects/flare_sprite.h"
#include "engine/vrl.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector3;

namespace {

constexpr int kStepMs = 20;
constexpr float kDriftPerStep = 0.01f;
constexpr unsigned int kGreenCut = 0x00001000u;  // 16 off green: the magenta cast

}  // namespace

Avaruus::Avaruus()
    : flarePositions(80), flareSizes(80), flareRotated(80), flareVelocities(80) {
    flareCount = 80;
    for (int i = 0; i < flareCount; ++i) {
        const PlacedFlare flare = placeRandomFlare(5.0f, 5.0f);
        flarePositions[i] = flare.position;
        flareSizes[i] = flare.size;
        // One statement per draw: the order of draws is part of the show.
        const float a = randomUnit() - 0.5f;
        const float b = randomUnit() - 0.5f;
        const float c = randomUnit() - 0.5f;
        flareVelocities[i] = Vector3(c, b, a);
        flareVelocities[i].normalize();
    }
    angles = Vector3(0.0f, 0.0f, 0.0f);
    angleStep = Vector3(0.005f, 0.01f, 0.002273f);
    driftFlares();
    checkFlareImage();
}

void Avaruus::driftFlares() {
    Matrix rotation;
    rotation.makeRotation(angles.x, angles.y, angles.z);
    for (int i = 0; i < flareCount; ++i) {
        flareRotated[i] = flarePositions[i] * rotation;
        flarePositions[i] += flareVelocities[i] * kDriftPerStep;
    }
}

void Avaruus::draw() {
    const int elapsed = elapsedMagnitude(vrlGetModulePosition(), lastPosition);
    unsigned int* frame = vrlGetFrameBuffer();
    stepClock += elapsed;
    while (stepClock > kStepMs) {
        stepClock -= kStepMs;
        angles += angleStep;
        driftFlares();
    }
    drawFlares(frame);
    for (int i = 0; i < kFramePixels; ++i) frame[i] = subSaturate(frame[i], kGreenCut);
}

void Avaruus::drawFlares(unsigned int* frame) const {
    const Texture* image = flareImage();
    if (image == nullptr) return;
    for (int i = 0; i < flareCount; ++i) {
        const FlareFootprint footprint = projectFlare(flareRotated[i], flareSizes[i]);
        // A flare behind the viewer projects to a negative width and draws nothing.
        if (footprint.visible)
            drawFlareSprite(i, footprint.centreX, footprint.centreY, footprint.width, *image, frame);
    }
}
