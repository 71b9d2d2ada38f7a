#pragma once
// Light flares of the two space scenes (Avaruus, Avaruus2): a point cloud
// projected in perspective, each flare drawn with the 64 x 64 flare image,
// odd-numbered flares adding light and even-numbered ones taking it away.
#include <cstdint>

#include "engine/vector.h"

namespace NORVALE_VIRELLO {
class Texture;
}

// Where a flare lands on screen: its centre and its width in pixels.
// `visible` is false when the projection leaves 32-bit integer range (a
// flare passing through the viewer's plane); such a flare is not drawn.
struct FlareFootprint {
    std::int64_t centreX = 0;
    std::int64_t centreY = 0;
    std::int64_t width = 0;
    bool visible = false;
};

// Projects a flare whose centre is `centre` (model space, viewed from 15
// units away) and whose model size is `size`.
FlareFootprint projectFlare(const NORVALE_VIRELLO::Vector3& centre, float size);

// Draws flare number `index` as a size x size square centred on the given
// point: added for odd indices, subtracted for even ones. Sizes of 0 or
// less draw nothing; a square whose corners leave 32-bit range is skipped.
void drawFlareSprite(int index, std::int64_t centreX, std::int64_t centreY, std::int64_t size,
                     const NORVALE_VIRELLO::Texture& image, unsigned int* frame);

// The flare image by name, or null when it is too small to be read as
// 64 x 64 pixels. Looked up on every frame, so it says nothing itself.
const NORVALE_VIRELLO::Texture* flareImage();
// Says once, when a cloud is built, that the flare image is unusable.
void checkFlareImage();

// A new flare of a cloud: a random direction, a distance from the centre of
// 2 up to 2 + radiusSpan and a size of 2.6 up to 2.6 + sizeSpan. Four
// draws, in this order: two angles, the distance, the size.
struct PlacedFlare {
    NORVALE_VIRELLO::Vector3 position;
    float size = 0.0f;
};
PlacedFlare placeRandomFlare(float radiusSpan, float sizeSpan);
