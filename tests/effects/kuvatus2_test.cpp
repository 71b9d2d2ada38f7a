#include <gtest/gtest.h>

#include <memory>

#include "effects/kuvatus2.h"
#include "engine/random.h"
#include "tests/effects/effect_fixture.h"

namespace {

std::vector<unsigned int> frameAt(Kuvatus2& effect, int ms, unsigned int background) {
    fixture::fillFrame(background);
    fixture::showAt(effect, ms);
    effect.draw();
    return fixture::snapshot();
}

TEST(Kuvatus2, TheSameTimeGivesTheSamePictureWhateverCameBefore) {
    resetRandom();
    Kuvatus2 effect;
    effect.init(81500, 100000);
    fixture::setSpectrumSum(0.0f);
    const auto first = frameAt(effect, 90000, 0u);
    const auto other = frameAt(effect, 95000, 0u);
    EXPECT_NE(other, first);
    fixture::setSpectrumSum(50.0f);  // the music plays no part
    EXPECT_EQ(frameAt(effect, 90000, 0x00123456u), first);
}

TEST(Kuvatus2, TheWindowIsChosenOnceAtConstruction) {
    resetRandom(8);
    Kuvatus2 effect;
    const auto window = effect.gridTexture;
    const std::uint32_t state = randomState();
    effect.init(81500, 100000);
    fixture::setSpectrumSum(50.0f);
    frameAt(effect, 85000, 0u);
    EXPECT_EQ(effect.gridTexture, window);
    EXPECT_EQ(randomState(), state);
}

TEST(Kuvatus2, LevelsStayInRangeAndTheFrameIsNeitherBlankNorFlat) {
    // Over the whole scene, including points where the four distances
    // cancel and the zoom is unbounded.
    auto grid = std::make_unique<DeformGrid>();
    int dark = 0, lit = 0;
    for (int ms = 81500; ms < 100000; ms += 97) {
        fillKuvatus2(*grid, static_cast<float>(ms));
        for (const GridPoint& point : grid->points) {
            ASSERT_GE(point.level, 0) << ms;
            ASSERT_LE(point.level, 255) << ms;
            dark += point.level == 0;
            lit += point.level > 100;
        }
    }
    EXPECT_GT(dark, 0);
    EXPECT_GT(lit, dark);
}

TEST(Kuvatus2, WavesSpanTheirRowsAndColumns) {
    auto grid = std::make_unique<DeformGrid>();
    fillKuvatus2(*grid, 0.0f);
    // At time 0 both waves close on themselves: the first and last row (and
    // column) lie a full turn apart.
    EXPECT_NEAR(grid->rowValues[0], grid->rowValues[25], 1e-4);
    EXPECT_NEAR(grid->columnValues[0], grid->columnValues[40], 1e-4);
    EXPECT_GT(std::abs(grid->rowValues[0] - grid->rowValues[12]), 0.1f);
}

}  // namespace
