#include "effects/valo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/vector.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "render/mesh.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/grid_check.h"

namespace {

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;

constexpr int kStart = 243000;
constexpr int kEnd = 273200;

// The grid point (column, row) at time t: the ray from the camera on the
// tube's axis meets the undulating wall; where along and around the axis
// picks the texel, and with a flash the distance lights it.
fixture::ExpectedPoint castRay(float t, float flash, int column, int row) {
    const float a = t * 0.0001f;
    const float s5 = std::sin(5.0f * a);
    Matrix turn;
    turn.makeRotation(0.0f, (std::cos(3.2f * a) * 0.5f + s5) * 0.5f, std::cos(a) * 10.0f + a * 20.0f);
    const Vector origin(0.0f, 0.0f, a * 100.0f);
    Vector eye(-1.0f, -0.75f, 1.0f);
    for (int c = 0; c < column; ++c) eye.x += 2.0f / 41.0f;
    for (int r = 0; r < row; ++r) eye.y += 1.5f / 26.0f;
    const Vector d = eye * turn;
    const float around = std::fabs(std::atan2(d.y, d.x)) * 4.0f;
    const float size = 2.0f + 0.6f * (std::sin(s5 * around) + 0.4f * std::cos(2.0f * around));
    const float n = d.x * d.x + d.y * d.y;
    const float b = 2.0f * (d.x * origin.x + d.y * origin.y);
    const float c = origin.x * origin.x + origin.y * origin.y - size * size * size;
    const float distance = (std::sqrt(b * b - 4.0f * n * c) - b) / (2.0f * n);
    const Vector hit = origin + d * distance;
    const int level = 10 + truncToInt(10.0f * std::pow(2.0f * distance, flash));
    return {truncToInt(256.0f * 0.2f * hit.z) & 255,
            truncToInt(256.0f * std::fabs(std::atan2(hit.y, hit.x)) / 3.141592f) & 255,
            std::clamp(level, 0, 255)};
}

struct ValoTest : fixture::EffectTest<Valo, kStart, kEnd> {
    Valo& valo = effect;
};

TEST_F(ValoTest, WithoutABeatTheTunnelIsTheLastFrameAtLevel20) {
    // White fed back comes out at 40/256 everywhere, and is fed back again.
    std::fill(valo.feedbackTexture.begin(), valo.feedbackTexture.end(), 0xFFFFFFu);
    Valo::lastPosition = 250000;
    fixture::drawAt(valo, 250000);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0x272727), 0);
    for (unsigned int texel : valo.feedbackTexture) ASSERT_EQ(texel, 0x272727u);
}

TEST_F(ValoTest, EveryPointIsWhereItsRayMeetsTheTube) {
    for (auto [t, flash] : {std::pair{250000.0f, 0.0f}, std::pair{261234.0f, 1.0f}, std::pair{290000.0f, 0.4f}}) {
        valo.fillValo(t, flash);
        EXPECT_EQ(fixture::gridMismatch(*valo.grid, [&](int c, int r) { return castRay(t, flash, c, r); }), "")
            << "at " << t << " ms, flash " << flash;
    }
    // A full flash lights the far end of the tube to white.
    valo.fillValo(250000.0f, 1.0f);
    EXPECT_GT(std::count_if(std::begin(valo.grid->points), std::end(valo.grid->points),
                            [](const GridPoint& point) { return point.level == 255; }),
              0);
}

TEST_F(ValoTest, ThresholdsForFlashAndPhoto) {
    Valo::lastPosition = 250000;
    const std::vector<unsigned int> photo = valo.photoBuffer;
    fixture::setSpectrumSum(3.75f);  // exactly 0.75: nothing
    fixture::drawAt(valo, 250000);
    EXPECT_EQ(valo.flash, 0.0f);

    fixture::setSpectrumSum(4.5f);  // a beat, but not a strong one
    fixture::drawAt(valo, 250000);
    EXPECT_EQ(valo.flash, 1.0f);
    EXPECT_EQ(valo.photoBuffer, photo);

    // A strong beat deals a new photo window and the tunnel maps it at
    // once, whatever the texture held before.
    std::fill(valo.feedbackTexture.begin(), valo.feedbackTexture.end(), 0x00406080u);
    fixture::setSpectrumSum(4.8f);
    fixture::drawAt(valo, 250000);
    EXPECT_EQ(valo.flash, 1.0f);
    EXPECT_NE(valo.photoBuffer, photo);
    std::vector<unsigned int> expected(320 * 200, 0u);
    valo.grid->drawShaded(valo.photoBuffer.data(), expected.data());
    EXPECT_EQ(fixture::snapshot(), expected);
}

TEST_F(ValoTest, BothInstancesShareOneClock) {
    Valo ray;
    ray.init(273200, 303000);
    fixture::drawAt(valo, 273160);  // the first instance's last frame
    ray.flash = 1.0f;
    fixture::drawAt(ray, 273200);   // 40 ms later, not 100
    EXPECT_FLOAT_EQ(ray.flash, 0.8f);
    // A step back raises the flash.
    fixture::drawAt(ray, 273180);
    EXPECT_FLOAT_EQ(ray.flash, 0.9f);
}

TEST_F(ValoTest, MeshFliesInFrom266000) {
    Valo::lastPosition = 266000;
    fixture::drawAt(valo, 266000);
    EXPECT_EQ(valo.mesh->renderMode, 0);  // not drawn yet

    fixture::drawAt(valo, 266500);
    EXPECT_FLOAT_EQ(valo.mesh->scale, 0.5f);
    const float progress = (266500.0f - kStart) / (kEnd - kStart);
    EXPECT_NEAR(valo.mesh->position.x - std::sin(26.0f * progress), 2.5f, 1e-5);
    EXPECT_EQ(valo.mesh->texture, valo.feedbackTexture.data());

    fixture::drawAt(valo, 268000);
    EXPECT_EQ(valo.mesh->scale, 1.0f);
}

}  // namespace
