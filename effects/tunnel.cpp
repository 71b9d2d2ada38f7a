#include "effects/tunnel.h"

#include <cmath>

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
constexpr float kFlashFallPerMs = 0.005f;
constexpr float kPi = 3.141592f;  // the show's geometry was tuned with this value
constexpr int kMeshArrivalMs = 175000;
constexpr float kMeshGrowMs = 5000.0f;

// 0..1, and 0 for NaN: a ray that misses the wall (only while a shake
// carries the camera outside the tube) has no distance and shows black,
// like the tube's far end.
float clampBrightness(float brightness) {
    if (!(brightness > 0.0f)) return 0.0f;
    return brightness < 1.0f ? brightness : 1.0f;
}

}  // namespace

Tunnel::Tunnel()
    : grid(std::make_unique<DeformGrid>()), gridTexture(kTexturePixels), mesh(std::make_unique<Mesh>()) {
    grabRandomWindow(gridTexture.data());
    mesh->load("asteroid2.obj");
    mesh->fitUnitSphere();
    // Cleared rather than left as it comes: it is rewritten before the mesh
    // first reads it, but a known start keeps every run identical.
    meshTexture.assign(kTexturePixels, 0u);
}

Tunnel::~Tunnel() = default;

void Tunnel::draw() {
    unsigned int* frame = vrlGetFrameBuffer();
    const float progress = intervalProgress(*this);
    const int elapsed = elapsedSigned(vrlGetModulePosition(), lastPosition);
    flash = fadeFlash(flash, elapsed, kFlashFallPerMs);
    if (spectrumEnergy() > kBeatEnergy) {
        grabRandomWindow(gridTexture.data());
        flash = 1.0f;
    }

    fillTunnel(time, flash);
    grid->drawShaded(gridTexture.data(), frame);
    // Taken before the mesh is drawn, so the mesh never reflects itself.
    copyFrameMiddle(frame, meshTexture.data());
    drawFlyingMesh(*mesh, vrlGetModulePosition(), kMeshArrivalMs, kMeshGrowMs, progress,
                   meshTexture.data(), frame);
}

void Tunnel::fillTunnel(float t, float flashLevel) {
    const float tau = t * 0.0001f;
    Matrix turn;
    turn.makeRotation(0.0f, 0.5f * (std::sin(5.0f * tau) + 0.5f * std::cos(3.2f * tau)),
                      20.0f * tau);

    // The shake: three draws, always taken, so the random sequence does not
    // depend on whether a beat is flashing.
    const float shakeAmount = randomUnit();
    const float shakeY = randomUnit();
    const float shakeX = randomUnit();
    const Vector shake =
        Vector(shakeX - 0.5f, shakeY - 0.5f, 0.0f) * shakeAmount * 4.0f * flashLevel;
    const Vector camera =
        Vector(0.5f * std::cos(3.2f * tau) + 0.5f * std::sin(18.0f * tau),
               0.9f * std::cos(4.1f * tau) + 0.3f * std::sin(8.0f * tau), 300.0f * tau) +
        shake;
    const float sinTau = std::sin(tau);

    Vector ray(-1.0f, -0.75f, 1.0f);
    for (int r = 0; r < grid->rows; ++r) {
        ray.x = -1.0f;
        for (int c = 0; c < grid->columns; ++c) {
            const Vector direction = ray * turn;
            const float around = 2.0f * std::fabs(std::atan2(direction.y, direction.x));
            const float radiusTerm =
                3.0f + 0.6f * (std::sin(around * sinTau) + 0.4f * std::cos(around));
            const float wall = radiusTerm * radiusTerm * radiusTerm;  // x^2 + y^2 at the wall

            // The ray's far intersection with the wall.
            const float a = direction.x * direction.x + direction.y * direction.y;
            const float b = 2.0f * (direction.x * camera.x + direction.y * camera.y);
            const float c0 = camera.x * camera.x + camera.y * camera.y - wall;
            const float distance = (-b + std::sqrt(b * b - 4.0f * a * c0)) / (2.0f * a);
            const Vector hit = camera + direction * distance;

            GridPoint& point = grid->points[r * grid->columns + c];
            const float along = 0.2f * hit.z;  // kept in single precision before scaling
            point.texY = truncToInt(along * kTextureSideF) & 255;
            point.texX = truncToInt(kTextureSideF * std::fabs(std::atan2(hit.y, hit.x)) / kPi) & 255;
            const float brightness =
                (0.5f + 0.5f * std::sin(0.4f * distance + 107.0f * tau)) * (1.0f - 0.02f * distance);
            point.level = truncToInt(255.0f * clampBrightness(brightness));
            ray.x += 2.0f / 41.0f;
        }
        ray.y += 1.5f / 26.0f;
    }
}
