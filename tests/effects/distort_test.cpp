#include <gtest/gtest.h>

#include <memory>

#include "effects/distort.h"
#include "engine/random.h"
#include "render/float_to_int.h"
#include "render/photo_window.h"
#include "tests/effects/effect_fixture.h"

namespace {

TEST(DistortGrid, WithoutFlashOrSpinThePhotoIsShownTransposedAndUntwisted) {
    auto grid = std::make_unique<DeformGrid>();
    for (float t : {100000.0f, 121999.0f}) {
        fillDistort(*grid, t, 0.0f, 0.0f);
        for (int r = 0; r < 26; ++r)
            for (int c = 0; c < 41; ++c) {
                const GridPoint& point = grid->points[r * 41 + c];
                ASSERT_EQ(point.texY, truncToInt((c - 20.5f) / 41.0f * 255.0f) & 255) << c << "," << r;
                ASSERT_EQ(point.texX, truncToInt((r - 13.0f) / 26.0f * 255.0f) & 255) << c << "," << r;
            }
    }
    EXPECT_EQ(grid->points[0].level, 127);                // a corner
    EXPECT_EQ(grid->points[13 * 41 + 20].level, 0);       // the centre is black
    EXPECT_EQ(grid->points[0].texY, 129);                 // -127 wraps
}

TEST(DistortGrid, SpinTurnsTheWholePictureAndFlashTwistsAndShrinksIt) {
    auto still = std::make_unique<DeformGrid>();
    auto turned = std::make_unique<DeformGrid>();
    fillDistort(*still, 110000.0f, 0.0f, 0.0f);
    fillDistort(*turned, 110000.0f, 0.0f, 0.7f);
    int moved = 0;
    for (int i = 0; i < 41 * 26; ++i) {
        moved += turned->points[i].texY != still->points[i].texY;
        // A turn keeps the distance from the centre, so the level stays.
        EXPECT_NEAR(turned->points[i].level, still->points[i].level, 1) << i;
    }
    EXPECT_GT(moved, 41 * 26 / 2);

    auto flashed = std::make_unique<DeformGrid>();
    fillDistort(*flashed, 110000.0f, 1.0f, 0.0f);
    // The corner's coordinates reach 3.5 times as far into the texture.
    EXPECT_EQ(flashed->points[0].level, 127);
    EXPECT_NE(flashed->points[0].texY, still->points[0].texY);
}

class DistortTest : public ::testing::Test {
protected:
    void SetUp() override {
        Distort::lastPosition = 0;
        resetRandom(21);
        distort = std::make_unique<Distort>();
        distort->init(100000, 122000);
    }

    void drawAt(int ms, float sum) {
        fixture::setSpectrumSum(sum);
        fixture::fillFrame(0u);
        fixture::showAt(*distort, ms);
        distort->draw();
    }

    std::unique_ptr<Distort> distort;
};

TEST_F(DistortTest, WithoutABeatThePictureStandsStill) {
    drawAt(100000, 0.0f);  // first frame: elapsed capped at 100
    EXPECT_EQ(Distort::lastPosition, 100000);
    EXPECT_EQ(distort->flash, 0.0f);
    const auto first = fixture::snapshot();
    EXPECT_GT(fixture::countDifferent(first.data()), fixture::kPixels / 2);
    drawAt(105000, 3.25f);  // exactly 0.65 is no beat
    EXPECT_EQ(fixture::snapshot(), first);
}

TEST_F(DistortTest, EveryBeatGrabsAWindowAndDrawsASignedSpin) {
    // Beats on consecutive frames, from several generator states so that
    // both signs come up.
    bool seenSign[2] = {false, false};
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        const auto window = distort->gridTexture;
        resetRandom(seed);
        drawAt(100000 + 33 * static_cast<int>(seed), 10.0f);
        EXPECT_EQ(distort->flash, 1.0f);
        EXPECT_NE(distort->gridTexture, window);
        const std::uint32_t state = randomState();
        // The window takes three draws; then the parity of one draw gives
        // the sign (odd turns positive) and a unit its size in [0.5, 1).
        resetRandom(seed);
        for (int i = 0; i < 3; ++i) nextRandom();
        const float sign = (nextRandom() & 1) ? 1.0f : -1.0f;
        EXPECT_EQ(distort->spin, (randomUnit() * 0.5f + 0.5f) * sign) << "seed " << seed;
        EXPECT_EQ(state, fixture::stateAfter(seed, 5));
        seenSign[sign > 0.0f] = true;
    }
    EXPECT_TRUE(seenSign[0] && seenSign[1]);
}

TEST_F(DistortTest, FlashFadesWithSongTimeAndABackwardStepRaisesIt) {
    drawAt(100000, 10.0f);
    drawAt(100020, 0.0f);
    EXPECT_FLOAT_EQ(distort->flash, 0.9f);
    drawAt(100000, 0.0f);  // 20 ms back: the difference stays negative
    EXPECT_FLOAT_EQ(distort->flash, 1.0f);
    drawAt(101000, 0.0f);  // capped at 100 ms
    EXPECT_FLOAT_EQ(distort->flash, 0.5f);
    drawAt(101200, 0.0f);
    EXPECT_EQ(distort->flash, 0.0f);
}

}  // namespace
