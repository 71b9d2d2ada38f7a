#include "effects/alku.h"

#include <cmath>

#include "effects/loudness.h"
#include "effects/progress.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector;

namespace {

constexpr float kPi = 3.141592f;  // the show's pi, not the full one
constexpr float kRefreshEnergy = 0.3f;

// The asteroid is a point until a tenth of the scene, then grows to full
// size by six tenths.
float asteroidScale(float progress) {
    if (progress < 0.1f) return 0.0f;
    const float scale = 2.0f * (progress - 0.1f);
    return scale > 1.0f ? 1.0f : scale;
}

}  // namespace

Alku::Alku() : mesh(std::make_unique<Mesh>()), gridTexture(kTexturePixels) {
    mesh->load("asteroid1.obj");
    grabRandomWindow(gridTexture.data());
}

void Alku::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const float progress = intervalProgress(*this);
    if (spectrumEnergy() > kRefreshEnergy) grabRandomWindow(gridTexture.data());
    drawAsteroid(progress, frame);
    drawPictures(frame);
}

void Alku::drawAsteroid(float t, unsigned int* frame) {
    mesh->setScale(asteroidScale(t));
    mesh->setPosition(Vector(std::sin(16.0f * t), 0.3f * std::cos(23.0f * t), std::sin(31.0f * t) + 2.5f));
    mesh->setRotation(25.0f * t, 17.0f * t, -9.0f * t);
    mesh->setRenderMode(Mesh::kFlat);
    mesh->transform();
    mesh->render(frame);
}

void Alku::drawPictures(unsigned int* frame) const {
    for (const Picture& picture : kPictures) {
        const float p = (time - static_cast<float>(picture.start)) /
                        static_cast<float>(picture.end - picture.start);
        if (!(0.00001f < p && p < 0.9999999f)) continue;
        Texture* texture = vrlGetTexture(picture.name);
        const int width = static_cast<int>(texture->getWidth());
        const int height = static_cast<int>(texture->getHeight());
        float strength = std::sin(kPi * p) * picture.strength;
        if (strength > 1.0f) strength = 1.0f;
        const int alpha = truncToInt(255.0f * strength);
        blitScaledAddFade(picture.x, picture.y, width, height, width, height, texture->getImgData(),
                          frame, 255 - alpha);
    }
}
