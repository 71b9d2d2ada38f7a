#include "effects/zoom.h"

#include <algorithm>
#include <array>
#include <span>

#include "effects/elapsed_time.h"
#include "effects/frame_crop.h"
#include "effects/loudness.h"
#include "effects/wrap_int.h"
#include "engine/random.h"
#include "engine/vector.h"
#include "engine/vrl.h"
#include "render/mesh.h"
#include "render/fixed_point.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Vector;

namespace {

constexpr float kBeatEnergy = 0.75f;
constexpr int kStepMs = 20;

// Source rows 5..189 and columns 8..303 stretched over the whole picture,
// in 16.16 fixed point: a magnification of about 1.081 per step.
constexpr int kZoomFirstRow = 0x50000;
constexpr int kZoomFirstColumn = 0x80000;
constexpr int kZoomStep = 60620;
constexpr unsigned int kWarmth = 0x000103;  // +3 red, +1 green per step

}  // namespace

Zoom::Zoom() : mesh(std::make_unique<Mesh>()) {
    for (ZoomSprite& sprite : sprites) paintSprite(drawSpriteLook(), sprite);
    mesh->load("asteroid3.obj");
}

Zoom::~Zoom() = default;

Zoom::SpriteLook Zoom::drawSpriteLook() {
    SpriteLook look;
    look.photo = randomPhoto();
    look.x = nextRandom() % 640;
    look.y = nextRandom() % 480;
    look.level = nextRandom() % 255;
    return look;
}

// A beat deals fifteen sprites drawn at only 16..79 pixels, so just the
// texels the draws read are toned: most of a whole 256 x 256 window would be
// work that never reaches the screen.
void Zoom::paintSprite(const SpriteLook& look, ZoomSprite& sprite) {
    std::array<int, kTextureSide> rows{};
    std::array<int, kTextureSide> columns{};
    const int width = std::clamp(sprite.width, 1, kTextureSide);
    const int height = std::clamp(sprite.height, 1, kTextureSide);
    for (int k = 0; k < height; ++k) rows[k] = scaledSourceIndex(k, kTextureSide, height);
    for (int k = 0; k < width; ++k) columns[k] = scaledSourceIndex(k, kTextureSide, width);
    sprite.image.resize(static_cast<std::size_t>(width) * height);
    sprite.imageWidth = width;
    sprite.imageHeight = height;
    copyPhotoWindowTexels(look.x, look.y, *look.photo, std::span(rows).first(height),
                          std::span(columns).first(width), sprite.image.data());
    for (unsigned int& texel : sprite.image) texel = blend3(0u, texel, 0xFFFFFFu, look.level);
}

void Zoom::zoomStep(const unsigned int* source, unsigned int* target) {
    for (int r = 0; r < kFrameHeight; ++r) {
        const unsigned int* sourceRow = source + wholeOfFraction16(kZoomFirstRow + r * kZoomStep) * kFrameStride;
        unsigned int* targetRow = target + r * kFrameStride;
        for (int c = 0; c < kFrameWidth; ++c)
            targetRow[c] = addSaturate(sourceRow[wholeOfFraction16(kZoomFirstColumn + c * kZoomStep)], kWarmth);
    }
}

void Zoom::dealOnBeat() {
    for (ZoomSprite& sprite : sprites) {
        const SpriteLook look = drawSpriteLook();
        sprite.baseX = nextRandom() % 240 + 40;
        sprite.baseY = nextRandom() % 120 + 25;
        sprite.travelX = 0;
        sprite.travelY = 0;
        sprite.velocityX = (nextRandom() % 1000 - 500) * 3;
        sprite.velocityY = (nextRandom() % 750 - 375) * 3;
        sprite.width = nextRandom() % 64 + 16;
        sprite.height = nextRandom() % 64 + 16;
        paintSprite(look, sprite);
    }
    inverted = !inverted;
    meshZ = 2.0f * randomUnit() + 1.5f;
    showMesh = randomUnit() < 0.45f;
    meshX = (randomUnit() - 0.5f) * 2.0f;
    meshY = (randomUnit() - 0.5f) * 2.0f;
}

void Zoom::feedbackStep(unsigned int* source, unsigned int* target) {
    useA = !useA;
    blur4(kFrameWidth, kFrameHeight, source);
    zoomStep(source, target);
    stepClock -= kStepMs;
    for (ZoomSprite& sprite : sprites) {
        // Travel wraps instead of overflowing after hours of one beatless scene.
        sprite.travelX = wrapAdd(sprite.travelX, sprite.velocityX);
        sprite.travelY = wrapAdd(sprite.travelY, sprite.velocityY);
        blitScaled(wholeOfFraction8(sprite.travelX) + sprite.baseX - sprite.width / 2,
                   wholeOfFraction8(sprite.travelY) + sprite.baseY - sprite.height / 2, sprite.imageWidth, sprite.imageHeight,
                   sprite.width, sprite.height, sprite.image.data(), target);
    }
}

void Zoom::draw() {
    const int position = vrlGetModulePosition();
    const int elapsed = elapsedMagnitude(position, lastPosition);
    unsigned int* frame = vrlGetFrameBuffer();
    if (spectrumEnergy() > kBeatEnergy) dealOnBeat();

    // The roles hold for the whole frame even though useA flips with every
    // step: two steps in one frame both read the same source.
    unsigned int* source = useA ? pictureA.data() : pictureB.data();
    unsigned int* target = useA ? pictureB.data() : pictureA.data();
    stepClock += elapsed;
    while (stepClock > kStepMs) feedbackStep(source, target);

    copyFrameMiddle(target, meshTexture.data());
    mesh->setScale(1.0f);
    drawMesh(position, target);

    for (int i = 0; i < kFramePixels; ++i) frame[i] = inverted ? target[i] ^ 0xFFFFFFu : target[i];
}

void Zoom::drawMesh(int position, unsigned int* target) {
    if (!showMesh) return;
    const float angle = static_cast<float>(position) * 0.00045f;
    mesh->setPosition(Vector(meshX, meshY, meshZ));
    mesh->setRotation(8.0f * angle, 11.0f * angle, -5.0f * angle);
    mesh->setRenderMode(Mesh::kEnvironment);
    mesh->setTexture(meshTexture.data());
    mesh->transform();
    // Into the feedback picture, not the frame: the mesh trails like the sprites.
    mesh->render(target);
}
