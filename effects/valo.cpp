#include "effects/valo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "effects/elapsed_time.h"
#include "effects/flying_mesh.h"
#include "effects/flash.h"
#include "effects/frame_crop.h"
#include "effects/loudness.h"
#include "effects/progress.h"
#include "engine/vector.h"
#include "engine/vrl.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "render/mesh.h"
#include "render/pixel_ops.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;

namespace {

constexpr float kBeatEnergy = 0.75f;
constexpr float kPhotoEnergy = 0.95f;
constexpr float kFlashFallPerMs = 0.005f;
constexpr float kPi = 3.141592f;  // the show's geometry was tuned with this value
constexpr int kMeshArrivalMs = 266000;
constexpr float kMeshGrowMs = 1000.0f;

// 10 + 10 (2d)^flash, within 0..255. Without a flash every point is at 20.
// A ray with no defined distance (NaN) gets level 0 once it is lit.
int rayLevel(float distance, float flashLevel) {
    const std::int64_t level =
        10 + static_cast<std::int64_t>(truncToInt(10.0f * std::pow(2.0f * distance, flashLevel)));
    return static_cast<int>(std::clamp<std::int64_t>(level, 0, 255));
}

}  // namespace

Valo::Valo()
    : grid(std::make_unique<DeformGrid>()),
      photoBuffer(kTexturePixels),
      mesh(std::make_unique<Mesh>()),
      feedbackTexture(kTexturePixels, 0u) {
    grabRandomWindow(photoBuffer.data());
    // The tunnel starts lined with the photo, not black: the first flash
    // then lights colour, and a black start would feed back only black.
    feedbackTexture = photoBuffer;
    mesh->load("asteroid3.obj");
}

Valo::~Valo() = default;

void Valo::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const float progress = intervalProgress(*this);
    const int elapsed = elapsedSigned(vrlGetModulePosition(), lastPosition);
    flash = fadeFlash(flash, elapsed, kFlashFallPerMs);

    const float energy = spectrumEnergy();
    // A strong beat drops a fresh photo window into the tunnel: the light
    // that feeds back from then on carries its colours.
    if (energy > kPhotoEnergy) {
        grabRandomWindow(photoBuffer.data());
        feedbackTexture = photoBuffer;
    }
    if (energy > kBeatEnergy) flash = 1.0f;

    fillValo(time, flash);
    grid->drawShaded(feedbackTexture.data(), frame);
    // Taken before the mesh is drawn, so the mesh never feeds back.
    copyFrameMiddle(frame, feedbackTexture.data());
    drawFlyingMesh(*mesh, vrlGetModulePosition(), kMeshArrivalMs, kMeshGrowMs, progress,
                   feedbackTexture.data(), frame);
}

void Valo::fillValo(float t, float flashLevel) {
    const float a = t * 0.0001f;
    const float s5 = std::sin(5.0f * a);
    Matrix rotation;
    rotation.makeRotation(0.0f, (std::cos(3.2f * a) * 0.5f + s5) * 0.5f,
                          std::cos(a) * 10.0f + a * 20.0f);
    // The camera flies down the tube's axis.
    const Vector origin(0.0f, 0.0f, a * 100.0f);

    const float columnStep = 2.0f / static_cast<float>(grid->columns);
    const float rowStep = 1.5f / static_cast<float>(grid->rows);
    Vector eye(-1.0f, -0.75f, 1.0f);
    for (int r = 0; r < grid->rows; ++r) {
        eye.x = -1.0f;
        for (int c = 0; c < grid->columns; ++c) {
            const Vector direction = eye * rotation;
            const float around = std::fabs(std::atan2(direction.y, direction.x)) * 4.0f;
            const float size = 2.0f + 0.6f * (std::sin(s5 * around) + 0.4f * std::cos(2.0f * around));
            const float wall = size * size * size;  // x^2 + y^2 at the wall

            const float n = direction.x * direction.x + direction.y * direction.y;
            const float b = 2.0f * (direction.x * origin.x + direction.y * origin.y);
            const float c0 = origin.x * origin.x + origin.y * origin.y - wall;
            const float distance = (std::sqrt(b * b - 4.0f * n * c0) - b) / (2.0f * n);
            const Vector hit = origin + direction * distance;

            GridPoint& point = grid->points[r * grid->columns + c];
            point.texY = truncToInt(kTextureSideF * 0.2f * hit.z) & 255;
            point.texX = truncToInt(kTextureSideF * std::fabs(std::atan2(hit.y, hit.x)) / kPi) & 255;
            point.level = rayLevel(distance, flashLevel);
            eye.x += columnStep;
        }
        eye.y += rowStep;
    }
}
