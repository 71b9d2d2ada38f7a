#include "effects/flare_sprite.h"

#include <climits>
#include <cmath>

#include "engine/frame.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector3;

namespace {

constexpr int kFlareSide = 64;
constexpr float kViewerDistance = 15.0f;

bool fitsInt(std::int64_t value) { return value >= INT_MIN && value <= INT_MAX; }

// truncToInt's INT_MIN marks a value that had no integer to truncate to.
bool isValid(int projected) { return projected != INT_MIN; }

}  // namespace

FlareFootprint projectFlare(const Vector3& centre, float size) {
    float depth = centre.z + kViewerDistance;
    if (depth > -0.0001f && depth < 0.0001f) depth = 1.0f;
    const float scale = kProjectionScale;
    const float centreX = kFrameCentreX;
    const float centreY = kFrameCentreY;
    const int x0 = truncToInt(scale * centre.x / depth + centreX);
    const int y0 = truncToInt(scale * centre.y / depth + centreY);
    const int x1 = truncToInt(scale * (centre.x + size) / depth + centreX);
    FlareFootprint footprint;
    footprint.visible = isValid(x0) && isValid(y0) && isValid(x1);
    footprint.centreX = x0;
    footprint.centreY = y0;
    footprint.width = static_cast<std::int64_t>(x1) - x0;
    return footprint;
}

void drawFlareSprite(int index, std::int64_t centreX, std::int64_t centreY, std::int64_t size,
                     const Texture& image, unsigned int* frame) {
    const std::int64_t half = size / 2;
    const std::int64_t left = centreX - half;
    const std::int64_t top = centreY - half;
    if (!fitsInt(size) || !fitsInt(left) || !fitsInt(top) || !fitsInt(left + size) ||
        !fitsInt(top + size))
        return;
    const unsigned int* pixels = image.getImgData();
    const int x = static_cast<int>(left);
    const int y = static_cast<int>(top);
    const int side = static_cast<int>(size);
    if (index % 2 == 1)
        blitScaledAdd(x, y, kFlareSide, kFlareSide, side, side, pixels, frame);
    else
        blitScaledSub(x, y, kFlareSide, kFlareSide, side, side, pixels, frame);
}

PlacedFlare placeRandomFlare(float radiusSpan, float sizeSpan) {
    // One statement per draw: the order of draws is part of the show.
    const float theta = randomUnit() * 2.0f * 3.141592f;
    const float phi = randomUnit() * 2.0f * 3.141592f;
    const float radius = randomUnit() * radiusSpan + 2.0f;
    PlacedFlare flare;
    flare.position =
        Vector3(std::sin(theta) * std::sin(phi), std::sin(theta) * std::cos(phi), std::cos(theta)) * radius;
    flare.size = randomUnit() * sizeSpan + 2.6f;
    return flare;
}

const Texture* flareImage() {
    Texture* image = vrlGetTexture("flare.jpg");
    const bool bigEnough = image != nullptr &&
                           static_cast<std::uint64_t>(image->getWidth()) * image->getHeight() >=
                               static_cast<std::uint64_t>(kFlareSide) * kFlareSide;
    return bigEnough ? image : nullptr;
}

void checkFlareImage() {
    if (flareImage() == nullptr)
        vrlMsg("flare.jpg is smaller than %d x %d pixels; flares will not be drawn\n", kFlareSide,
               kFlareSide);
}
