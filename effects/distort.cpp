#include "effects/distort.h"

#include <algorithm>
#include <cmath>

#include "effects/elapsed_time.h"
#include "effects/flash.h"
#include "effects/loudness.h"
#include "engine/random.h"
#include "engine/vector.h"
#include "engine/vrl.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector3;

namespace {

constexpr float kPi = 3.141592f;  // the show's pi, not the full one
constexpr float kBeatEnergy = 0.65f;
constexpr float kFlashFadePerMs = 0.005f;

// +1 or -1 from one draw of the generator: odd turns one way, even the other.
float randomSign() { return (nextRandom() & 1) ? 1.0f : -1.0f; }

}  // namespace

Distort::Distort() : grid(std::make_unique<DeformGrid>()), gridTexture(kTexturePixels) {
    grabRandomWindow(gridTexture.data());
}

Distort::~Distort() = default;

void Distort::draw() {
    const int position = vrlGetModulePosition();
    const int elapsed = elapsedSigned(position, lastPosition);
    flash = fadeFlash(flash, elapsed, kFlashFadePerMs);

    unsigned int* frame = vrlGetFrameBuffer();
    if (spectrumEnergy() > kBeatEnergy) {
        grabRandomWindow(gridTexture.data());
        flash = 1.0f;
        const float sign = randomSign();
        spin = (randomUnit() * 0.5f + 0.5f) * sign;
    }
    fillDistort(*grid, time, flash, spin);
    grid->drawShaded(gridTexture.data(), frame);
}

void fillDistort(DeformGrid& grid, float t, float flash, float spin) {
    Matrix turn;
    turn.makeRotation(0.0f, 0.0f, t * 0.00115f * spin);
    const float textureScale = (flash * 2.5f + 1.0f) * 255.0f;

    const float columns = static_cast<float>(grid.columns);
    const float rows = static_cast<float>(grid.rows);
    const float referenceLength = Vector3(columns * 0.5f, rows * 0.5f, 0.0f).length();

    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            Vector3 point((static_cast<float>(c) - columns * 0.5f) / columns,
                          (static_cast<float>(r) - rows * 0.5f) / rows, 0.0f);
            const float k = point.length() / referenceLength;
            const float twistAngle = std::sin(k * k + t * 0.0016f) * k * flash * 25.0f * 2.0f * kPi;
            Matrix twist;
            twist.makeRotation(0.0f, 0.0f, twistAngle);
            point *= turn;
            point *= twist;

            GridPoint& out = grid.points[r * grid.columns + c];
            out.texY = truncToInt(point.x * textureScale) & 255;
            out.texX = truncToInt(point.y * textureScale) & 255;
            const float lengthSquared = point.x * point.x + point.y * point.y;
            out.level = truncToInt(std::min(1.0f, lengthSquared) * 255.0f);
        }
    }
}
