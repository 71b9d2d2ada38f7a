#include "effects/hypnogreen.h"

#include <gtest/gtest.h>

#include "tests/effects/effect_fixture.h"

namespace {

struct HypnogreenTest : fixture::EffectTest<Hypnogreen, 193000, 223000> {
    HypnogreenTest() { Hypnogreen::lastPosition = 200000; }
    void drawAt(int ms, float loudnessSum) {
        fixture::setSpectrumSum(loudnessSum);
        fixture::drawAt(tint, ms);
    }
    Hypnogreen& tint = effect;
};

TEST_F(HypnogreenTest, WithoutFlashEveryChannelLosesOne256thAndABeatTintsByItsAge) {
    fixture::fillFrame(0xFFFFFF);
    drawAt(200000, 0.0f);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0xFEFEFE), 0);

    // Fifty milliseconds on: 0x44AA44 at weight 45 over black, red and blue
    // 68 * 45 >> 8, green 170 * 45 >> 8.
    fixture::fillFrame(0);
    drawAt(200050, 4.0f);
    EXPECT_FLOAT_EQ(tint.flash, 0.5f);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0x0B1D0B), 0);
}

TEST_F(HypnogreenTest, ThresholdAndFade) {
    drawAt(200030, 3.25f);  // exactly 0.65: no beat
    EXPECT_EQ(tint.flash, 0.0f);

    drawAt(200060, 3.3f);
    EXPECT_FLOAT_EQ(tint.flash, 0.7f);
    // Beats in a row keep resetting it before the fade.
    drawAt(200090, 3.3f);
    EXPECT_FLOAT_EQ(tint.flash, 0.7f);
    // Without a beat it is gone within 100 ms.
    drawAt(200160, 0.0f);
    EXPECT_NEAR(tint.flash, 0.0f, 1e-6);

    // A frame that took 100 ms or more shows no tint even on a beat.
    fixture::fillFrame(0);
    drawAt(200400, 4.0f);
    EXPECT_EQ(tint.flash, 0.0f);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0), 0);
    drawAt(200360, 4.0f);  // a step back counts its 40 ms
    EXPECT_FLOAT_EQ(tint.flash, 0.6f);
}

}  // namespace
