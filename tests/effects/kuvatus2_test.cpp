#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "effects/kuvatus2.h"
#include "render/float_to_int.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/grid_check.h"

namespace {

// The zoom's point (column, row) at time t: four wandering centres, a row
// and a column wave, a slow turn and rings of brightness.
struct ZoomPoint {
    fixture::ExpectedPoint expected;
    float zoomDenominator;  // near 0 the zoom is unbounded
};

ZoomPoint zoomPoint(float t, int column, int row) {
    const float pi = 3.141592f;
    const float tau = t * 0.0001f;
    const float a = static_cast<float>(row) / 25 * 2 * pi;
    const float b = static_cast<float>(column) / 40 * 2 * pi;
    const float rowWave = (std::sin(std::cos(a + 5.2f * tau) + a) + 0.9f * std::cos(a + 7.5f * tau)) * 1.6f;
    const float columnWave = 1.3f * std::sin(b + 8.2f * tau) - 1.6f * std::cos(std::cos(6.75f * tau) + b);
    const float s = std::sin(6 * tau), c = std::cos(6 * tau);
    const float slow = tau * 0.6f;
    // Centres in point units: the exact halves 20 and 12.5 scale the paths,
    // the integer halves 20 and 12 place them.
    const float x[4] = {std::sin(9.5f * slow) * 20 + 20, 1.1f * std::sin(16 * slow) * 20 + 20,
                        1.2f * std::cos(20.5f * slow) * 20 + 20, 1.8f * std::sin(10.5f * slow) * 20 + 20};
    const float y[4] = {std::cos(13 * slow + 3 * std::cos(8 * slow)) * 12.5f + 12,
                        std::sin(9.5f * slow + 6 * std::sin(5.5f * slow)) * 12.5f + 12,
                        std::cos(std::sin(22.5f * slow)) * 12.5f + 12,
                        0.2f * std::cos(std::sin(1.5f * slow)) * 12.5f + 12};
    float d[4];
    for (int k = 0; k < 4; ++k) d[k] = std::sqrt((row - y[k]) * (row - y[k]) + (column - x[k]) * (column - x[k]));
    const float m = columnWave + rowWave;
    const float zoom = ((m + 0.3f) * 0.3f + 0.7f) / (d[0] - d[1] + d[2] - d[3]);
    const float fade = std::fabs(4 * ((m + 0.1f) * 0.1f + 0.9f) / (d[0] + d[1] - d[2] + d[3]));
    const float across = 64 * zoom * static_cast<float>(column - 20) / 40;
    const float down = 64 * zoom * static_cast<float>(row - 12) / 25;
    const float rho = std::sqrt((row - 12.5f) * (row - 12.5f) + (column - 20.0f) * (column - 20.0f));
    const int level = truncToInt(255 * (0.35f * std::sin(0.3f * rho + 65 * slow) + 0.65f) * (1 - fade));
    return {{truncToInt(16 * (across * c - down * s)), truncToInt(16 * (across * s + down * c)),
             std::clamp(level, 0, 255)},
            d[0] - d[1] + d[2] - d[3]};
}

TEST(Kuvatus2, EveryPointFollowsTheWanderingCentresAndTheWaves) {
    auto grid = std::make_unique<DeformGrid>();
    for (float t : {81500.0f, 90321.0f, 99999.0f}) {
        fillKuvatus2(*grid, t);
        const auto expected = [t](int c, int r) { return zoomPoint(t, c, r).expected; };
        const auto unbounded = [t](int c, int r) { return std::fabs(zoomPoint(t, c, r).zoomDenominator) < 0.05f; };
        EXPECT_EQ(fixture::gridMismatch(*grid, expected, unbounded), "") << "at " << t << " ms";
    }
}

}  // namespace
