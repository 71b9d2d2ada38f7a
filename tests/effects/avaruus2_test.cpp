#include "effects/avaruus2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/vrl.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/grid_check.h"

using NORVALE_VIRELLO::Texture;
using NORVALE_VIRELLO::Vector3;

namespace {

constexpr unsigned int kGrey = 0x808080;  // both adding and subtracting flares show on it

// Lays the cloud out as a 10 x 10 grid of small flares, one per cell of
// 32 x 20 pixels, so that the cell tells which flare was drawn. A flare at
// model (x, y, 0) sits 15 units from the viewer.
void layOutOnGrid(Avaruus2& cloud) {
    for (int i = 0; i < cloud.flareCount; ++i) {
        const float column = 16.0f + 32.0f * static_cast<float>(i % 10);
        const float row = 10.0f + 20.0f * static_cast<float>(i / 10);
        cloud.flareRotated[i] = Vector3((column - 160.0f) * 15.0f / 256.0f, (row - 100.0f) * 15.0f / 256.0f, 0.0f);
        cloud.flareSizes[i] = 0.47f;  // about 8 pixels across
    }
}

std::vector<bool> flaresDrawn(const Avaruus2& cloud, float progress) {
    fixture::fillFrame(kGrey);
    cloud.drawFlares(progress, 0.0f, fixture::frame());
    std::vector<bool> drawn;
    for (int i = 0; i < cloud.flareCount; ++i) {
        const int x = 16 + 32 * (i % 10);
        const int y = 10 + 20 * (i / 10);
        drawn.push_back(fixture::frame()[y * 320 + x] != kGrey);
    }
    return drawn;
}

int countDrawn(const std::vector<bool>& drawn) {
    int count = 0;
    for (bool d : drawn) count += d;
    return count;
}

TEST(Avaruus2Flares, CountGrowsWithTheSquareOfProgressAndTheNewestGrowsIn) {
    Avaruus2 cloud;
    layOutOnGrid(cloud);

    EXPECT_EQ(countDrawn(flaresDrawn(cloud, 0.0f)), 0);

    // v = 25 exactly: flares 0..23 drawn, flare 24 has zero width.
    const auto half = flaresDrawn(cloud, 0.5f);
    EXPECT_EQ(countDrawn(half), 24);
    for (int i = 0; i < 24; ++i) EXPECT_TRUE(half[i]) << i;

    // v = 100: flare 99 is the one growing in, at zero width.
    const auto full = flaresDrawn(cloud, 1.0f);
    EXPECT_EQ(countDrawn(full), 99);
    EXPECT_FALSE(full[99]);

    // Just past one half, flare 24 appears.
    EXPECT_TRUE(flaresDrawn(cloud, 0.505f)[24]);
}

TEST(Avaruus2Flares, LoudnessSwellsSubtractingFlaresMore) {
    Avaruus2 cloud;
    cloud.flareCount = 3;  // at progress 1, flares 0 and 1 drawn in full
    cloud.flareRotated[0] = Vector3((80.0f - 160.0f) * 15.0f / 256.0f, 0.0f, 0.0f);
    cloud.flareRotated[1] = Vector3((240.0f - 160.0f) * 15.0f / 256.0f, 0.0f, 0.0f);
    cloud.flareSizes[0] = cloud.flareSizes[1] = 15.0f * 16.0f / 256.0f;  // 16 pixels

    const auto widths = [&](float energy) {
        fixture::fillFrame(kGrey);
        cloud.drawFlares(1.0f, energy, fixture::frame());
        std::vector<unsigned int> left = fixture::snapshot(), right = left;
        for (int i = 0; i < fixture::kPixels; ++i) (i % 320 < 160 ? right : left)[i] = kGrey;
        return std::pair{fixture::changedBox(left.data(), kGrey).width(),
                         fixture::changedBox(right.data(), kGrey).width()};
    };
    EXPECT_EQ(widths(0.0f), std::pair(16, 16));
    // Flare 0 (even) takes the flare image's light away, flare 1 (odd) adds it.
    EXPECT_EQ(fixture::frame()[100 * 320 + 80], kGrey - 0x404040u);
    EXPECT_EQ(fixture::frame()[100 * 320 + 240], kGrey + 0x404040u);
    // Energy 1: odd flares twice, even ones two and a half times as large.
    EXPECT_EQ(widths(1.0f), std::pair(40, 32));
}

TEST(Avaruus2Flares, FlaresAtOrThroughTheViewerNeverBreakTheFrame) {
    Avaruus2 cloud;
    cloud.flareRotated[0] = Vector3(0.0f, 0.0f, -15.0f);        // depth 0: projected at depth 1
    cloud.flareRotated[1] = cloud.flareRotated[3] = Vector3(0.0f, 0.0f, -20.0f);  // behind the viewer
    cloud.flareRotated[2] = Vector3(1e30f, -1e30f, -14.9999f);  // far beyond 32-bit range
    cloud.flareRotated[4] = Vector3(0.0f, 0.0f, -14.99985f);    // enormous but defined
    cloud.flareSizes[0] = 0.05f;
    for (int i = 1; i <= 4; ++i) cloud.flareSizes[i] = 5.0f;
    // At full progress the last of `count` flares is the one growing in, at zero width.
    const auto changed = [&](int count, float energy) {
        cloud.flareCount = count;
        fixture::fillFrame(kGrey);
        cloud.drawFlares(1.0f, energy, fixture::frame());
        return fixture::changedBox(fixture::frame(), kGrey);
    };
    EXPECT_EQ(changed(4, 0.0f), fixture::boxAt(160 - 6, 100 - 6, 12, 12));
    // Flare 4, millions of pixels wide, covers the frame but for the last
    // row and column, which sprites never reach.
    EXPECT_EQ(changed(6, 0.0f), fixture::boxAt(0, 0, 319, 199));
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), kGrey), 319 * 199);
    // An absurd loudness gives no defined size: nothing is drawn.
    EXPECT_TRUE(changed(6, 1e20f).empty());
}

TEST(Avaruus2Motion, AtMostFiveRotationStepsPerFrameAndBackwardStepsCount) {
    Avaruus2 cloud;
    cloud.init(150000, 162000);
    fixture::setSpectrumSum(0.0f);
    const Vector3 step(0.01f, -0.005f, -0.00771f);  // per 20 ms about x, y and z

    Avaruus2::lastPosition = 151000;
    Avaruus2::stepClock = 20;
    fixture::drawAt(cloud, 156000);  // a 5 s stall counts as 100 ms
    EXPECT_TRUE(fixture::near(cloud.angles, step * 5.0f, 1e-6));
    EXPECT_EQ(Avaruus2::stepClock, 20);

    // A seek back of 300 ms counts as 300 ms: fifteen more steps.
    fixture::drawAt(cloud, 155700);
    EXPECT_NEAR(cloud.angles.x, 20 * step.x, 1e-5);
    EXPECT_EQ(Avaruus2::stepClock, 20);

    // The rotated cloud follows the angles.
    NORVALE_VIRELLO::Matrix rotation;
    rotation.makeRotation(cloud.angles.x, cloud.angles.y, cloud.angles.z);
    EXPECT_TRUE(fixture::near(cloud.flareRotated[7], cloud.flarePositions[7] * rotation, 1e-6));
}

TEST(Avaruus2Background, AnInvertedGreyPhotoWindowUnderTheRipplingLens) {
    Avaruus2 cloud;
    cloud.init(150000, 162000);
    // The window at column 256, row 0 of the first photo; dark turns light
    // along a cubic curve.
    const Texture* photo = vrlGetTexture("kuva1.jpg");
    const unsigned int* photoPixels = photo->getImgData();
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float dark = 1.0f - static_cast<float>(photoPixels[y * photo->getWidth() + 256 + x] & 0xFF) / 255.0f;
            const unsigned int grey = std::min(255, truncToInt(dark * dark * dark * 355.0f));
            ASSERT_EQ(cloud.greyTexture[y * 256 + x], grey * 0x010101u) << x << "," << y;
        }

    cloud.flareCount = 0;
    fixture::setSpectrumSum(0.0f);
    fixture::drawAt(cloud, 155555);
    EXPECT_EQ(fixture::gridMismatch(*cloud.grid,
                                    [](int c, int r) {
                                        return fixture::rippleLensPoint(155555.0f, -0.0001314f, 0.0007f, false, c, r);
                                    }),
              "");
}

}  // namespace
