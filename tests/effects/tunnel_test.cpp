#include "effects/tunnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/deform_grid.h"
#include "render/mesh.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/frame_diff.h"

namespace {

constexpr int kStart = 162000;
constexpr int kEnd = 193000;

class TunnelTest : public ::testing::Test {
protected:
    void SetUp() override {
        tunnel.init(kStart, kEnd);
        fixture::setSpectrumSum(0.0f);
    }
    void drawAt(int ms) {
        fixture::showAt(tunnel, ms);
        tunnel.draw();
    }
    Tunnel tunnel;
};

TEST_F(TunnelTest, FlashFallsWithElapsedTimeCappedAt100Ms) {
    // The class's first frame measures from position 0: capped to 100 ms.
    Tunnel::lastPosition = 0;
    tunnel.flash = 1.0f;
    drawAt(kStart);
    EXPECT_FLOAT_EQ(tunnel.flash, 0.5f);

    drawAt(kStart + 40);
    EXPECT_FLOAT_EQ(tunnel.flash, 0.3f);

    // A step back raises the flash again.
    drawAt(kStart + 20);
    EXPECT_FLOAT_EQ(tunnel.flash, 0.4f);

    drawAt(kStart + 5000);
    EXPECT_EQ(tunnel.flash, 0.0f);
}

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

TEST_F(TunnelTest, ShakeOnlyWhileFlashing) {
    Tunnel::lastPosition = 168000;
    drawAt(168000);
    const auto still = fixture::snapshot();
    drawAt(168000);
    EXPECT_EQ(fixture::snapshot(), still);

    tunnel.flash = 1.0f;  // no time passes, so it stays at 1
    drawAt(168000);
    const auto shaken = fixture::snapshot();
    drawAt(168000);
    EXPECT_NE(fixture::snapshot(), shaken);
}

TEST_F(TunnelTest, EveryPointStaysInRangeEvenWhenTheShakeLeavesTheTube) {
    // A huge flash throws the camera far outside the tube, where rays miss.
    for (float flash : {0.0f, 1.0f, 40.0f, 1e6f}) {
        tunnel.fillTunnel(170000.0f, flash);
        for (const GridPoint& point : tunnel.grid->points) {
            ASSERT_GE(point.texY, 0);
            ASSERT_LE(point.texY, 255);
            ASSERT_GE(point.texX, 0);
            ASSERT_LE(point.texX, 255);
            ASSERT_GE(point.level, 0);
            ASSERT_LE(point.level, 255);
        }
    }
    // Outside the tube most rays miss and show black.
    tunnel.fillTunnel(170000.0f, 1e6f);
    int dark = 0;
    for (const GridPoint& point : tunnel.grid->points) dark += point.level == 0;
    EXPECT_GT(dark, 41 * 26 / 2);
}

TEST_F(TunnelTest, MeshArrivesAfter175000AndGrowsForFiveSeconds) {
    Tunnel::lastPosition = 175000;
    drawAt(175000);
    EXPECT_EQ(tunnel.mesh->scale, 1.0f);  // untouched since construction
    EXPECT_EQ(tunnel.mesh->renderMode, 0);

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

TEST_F(TunnelTest, MeshMirrorsThisFramesTunnelNotItself) {
    Tunnel::lastPosition = 184000;
    drawAt(184000);
    const auto frame = fixture::snapshot();
    int meshPixels = 0;
    for (int j = 0; j < 256; ++j)
        for (int i = 0; i < 256; ++i) {
            const unsigned int copied = tunnel.meshTexture[j * 256 + i];
            if (j >= 200) ASSERT_EQ(copied, tunnel.meshTexture[(j - 200) * 256 + i]);
            else meshPixels += copied != frame[j * 320 + 32 + i];
        }
    // The copy was taken before the mesh covered part of the frame.
    EXPECT_GT(meshPixels, 100);
}

}  // namespace
