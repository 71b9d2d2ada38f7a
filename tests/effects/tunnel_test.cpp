#include "effects/tunnel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/random.h"
#include "engine/vector.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "render/mesh.h"
#include "render/photo_window.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/grid_check.h"

namespace {

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;

constexpr int kStart = 162000;
constexpr int kEnd = 193000;

// The grid point (column, row) at time t: the ray through it from the
// swaying, turning camera (shaken by the draws u[0..2] times the flash)
// meets the wavy wall; the hit's depth and angle pick the texel and the
// ray's length the brightness.
fixture::ExpectedPoint castRay(float t, float flash, const float u[3], int column, int row) {
    const float tau = t * 0.0001f;
    Matrix turn;
    turn.makeRotation(0.0f, 0.5f * (std::sin(5.0f * tau) + 0.5f * std::cos(3.2f * tau)), 20.0f * tau);
    const Vector shake = Vector(u[2] - 0.5f, u[1] - 0.5f, 0.0f) * u[0] * 4.0f * flash;
    const Vector camera = Vector(0.5f * std::cos(3.2f * tau) + 0.5f * std::sin(18.0f * tau),
                                 0.9f * std::cos(4.1f * tau) + 0.3f * std::sin(8.0f * tau), 300.0f * tau) +
                          shake;
    Vector ray(-1.0f, -0.75f, 1.0f);
    for (int c = 0; c < column; ++c) ray.x += 2.0f / 41.0f;
    for (int r = 0; r < row; ++r) ray.y += 1.5f / 26.0f;
    const Vector d = ray * turn;
    const float around = 2.0f * std::fabs(std::atan2(d.y, d.x));
    const float radius = 3.0f + 0.6f * (std::sin(around * std::sin(tau)) + 0.4f * std::cos(around));
    const float a = d.x * d.x + d.y * d.y;
    const float b = 2.0f * (d.x * camera.x + d.y * camera.y);
    const float c = camera.x * camera.x + camera.y * camera.y - radius * radius * radius;
    const float length = (-b + std::sqrt(b * b - 4.0f * a * c)) / (2.0f * a);
    const Vector hit = camera + d * length;
    const float along = 0.2f * hit.z;
    const float brightness = (0.5f + 0.5f * std::sin(0.4f * length + 107.0f * tau)) * (1.0f - 0.02f * length);
    return {truncToInt(along * 256.0f) & 255,
            truncToInt(256.0f * std::fabs(std::atan2(hit.y, hit.x)) / 3.141592f) & 255,
            truncToInt(255.0f * std::clamp(brightness, 0.0f, 1.0f))};
}

struct TunnelTest : fixture::EffectTest<Tunnel, kStart, kEnd> {
    Tunnel& tunnel = effect;
};

TEST_F(TunnelTest, OnlyEnergyAboveThreeQuartersIsABeat) {
    Tunnel::lastPosition = 170000;
    const std::vector<unsigned int> window = tunnel.gridTexture;
    fixture::setSpectrumSum(3.75f);  // exactly 0.75
    drawAt(170000);
    EXPECT_EQ(tunnel.flash, 0.0f);
    EXPECT_EQ(tunnel.gridTexture, window);

    fixture::setSpectrumSum(3.76f);
    drawAt(170000);
    EXPECT_EQ(tunnel.flash, 1.0f);
}

TEST_F(TunnelTest, EveryPointIsTheFarHitOfItsRay) {
    // Steady, and at a fresh beat: the shake comes from three draws that
    // the fill takes first, flash or not.
    for (auto [t, flash] : {std::pair{170000.0f, 0.0f}, std::pair{185123.0f, 1.0f}}) {
        resetRandom(5);
        const float u[3] = {randomUnit(), randomUnit(), randomUnit()};
        const std::uint32_t afterDraws = randomState();
        resetRandom(5);
        tunnel.fillTunnel(t, flash);
        EXPECT_EQ(randomState(), afterDraws);
        EXPECT_EQ(fixture::gridMismatch(*tunnel.grid, [&](int c, int r) { return castRay(t, flash, u, c, r); }),
                  "")
            << "at " << t << " ms, flash " << flash;
    }
}

TEST_F(TunnelTest, RaysThatMissTheWallShowBlack) {
    // A huge flash throws the camera far outside the tube, where most rays
    // miss: they get level 0, and every coordinate stays a texel.
    tunnel.fillTunnel(170000.0f, 1e6f);
    int dark = 0;
    for (const GridPoint& point : tunnel.grid->points) {
        ASSERT_EQ(std::pair(point.texY & 255, point.texX & 255), std::pair(point.texY, point.texX));
        ASSERT_TRUE(point.level >= 0 && point.level <= 255) << point.level;
        dark += point.level == 0;
    }
    EXPECT_GT(dark, 41 * 26 / 2);
}

TEST_F(TunnelTest, MeshArrivesAfter175000AndGrowsForFiveSeconds) {
    Tunnel::lastPosition = 175000;
    drawAt(175000);
    EXPECT_EQ(std::pair(tunnel.mesh->scale, tunnel.mesh->renderMode), std::pair(1.0f, 0)) << "touched too early";

    drawAt(175001);
    EXPECT_FLOAT_EQ(tunnel.mesh->scale, 0.0002f);
    const float progress = (175001.0f - kStart) / (kEnd - kStart);
    // Almost 5 units to the side of its path.
    EXPECT_NEAR(tunnel.mesh->position.x - std::sin(26.0f * progress), 4.999f, 1e-4);

    drawAt(181000);
    EXPECT_EQ(tunnel.mesh->scale, 1.0f);
    const float later = (181000.0f - kStart) / (kEnd - kStart);
    EXPECT_NEAR(tunnel.mesh->position.x, std::sin(26.0f * later), 1e-5);
}

}  // namespace
