#include "effects/credits.h"

#include <array>
#include <cmath>

#include "effects/progress.h"
#include "engine/random.h"
#include "engine/vector.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/mesh.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector;

namespace {

constexpr std::array<const char*, 2> kCreditPictures = {"credits1.jpg", "credits2.jpg"};
constexpr float kCentreX = kFrameCentreX;
constexpr float kCentreY = kFrameCentreY;

}  // namespace

Credits::Credits() = default;
Credits::~Credits() = default;

bool Credits::init(unsigned long start, unsigned long end) {
    Base::init(start, end);
    if (!mesh) {
        mesh = std::make_unique<Mesh>();
        mesh->load("asteroid2.obj");
    }
    return true;
}

float Credits::pictureScale(float progress) {
    // Each picture shrinks from 1 down to -0.7 across its window; only the
    // first 0.3 / 1.7 of the window shows anything.
    if (progress > 0.1f && progress < 0.4f) return 1.0f - 1.7f * (progress - 0.1f) / 0.3f;
    if (progress > 0.6f && progress < 0.9f) return 1.0f - 1.7f * (progress - 0.6f) / (0.9f - 0.6f);
    return 0.0f;
}

void Credits::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const float progress = intervalProgress(*this);
    drawStatic(frame);
    drawMesh(progress, frame);
    drawPicture(progress, frame);
}

void Credits::drawStatic(unsigned int* frame) const {
    // Exactly one draw per pixel, in order: the generator's sequence for the
    // rest of the show depends on it.
    for (int i = 0; i < kFramePixels; ++i)
        frame[i] = static_cast<unsigned int>(nextRandom() & 63) * 0x010101u;
}

void Credits::drawMesh(float progress, unsigned int* frame) {
    if (!mesh) return;  // init never ran: nothing to show
    // Full size until p = 0.1, then shrinking to nothing at p = 0.6.
    float shrink = 0.0f;
    if (!(progress < 0.1f)) {
        shrink = 2.0f * (progress - 0.1f);
        if (shrink > 1.0f) shrink = 1.0f;
    }
    mesh->setScale(1.0f - shrink);
    const float x = 0.4f * std::sin(11.0f * progress);
    const float y = 0.2f * std::cos(13.0f * progress);
    mesh->setPosition(Vector(x, y, 1.6f));
    mesh->setRotation(18.0f * progress, -7.0f * progress, -5.0f * progress);
    mesh->setRenderMode(Mesh::kFlat);
    mesh->transform();
    mesh->render(frame);
}

void Credits::drawPicture(float progress, unsigned int* frame) const {
    const float scale = pictureScale(progress);
    const int imageIndex = progress >= 0.5f ? 1 : 0;
    Texture* picture = vrlGetTexture(kCreditPictures[imageIndex]);
    if (!(scale > 0.0f) || picture == nullptr) return;
    const int width = static_cast<int>(picture->getWidth());
    const int height = static_cast<int>(picture->getHeight());
    // The height follows the width (a 4:3 picture on the frame), not the
    // picture's own height.
    const float drawnWidth = static_cast<float>(picture->getWidth()) * scale;
    const float drawnHeight =
        drawnWidth * 0.75f * static_cast<float>(kFrameHeight) / static_cast<float>(kFrameWidth);
    const int x = truncToInt(kCentreX - drawnWidth * 0.5f);
    const int y = truncToInt(kCentreY - drawnHeight * 0.5f);
    const int dstWidth = truncToInt(drawnWidth);
    const int dstHeight = truncToInt(drawnHeight);
    // The scale is at most 1, so every value above fits easily unless the
    // picture is absurdly large; such a picture is not drawn.
    if (x == INT_MIN || y == INT_MIN || dstWidth == INT_MIN || dstHeight == INT_MIN ||
        width <= 0 || height <= 0)
        return;
    blitScaledAdd(x, y, width, height, dstWidth, dstHeight, picture->getImgData(), frame);
}
