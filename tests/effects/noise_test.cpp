#include <gtest/gtest.h>

#include <algorithm>

#include "effects/noise.h"
#include "engine/random.h"
#include "tests/effects/effect_fixture.h"

namespace {

TEST(Noise, BlackFrameBecomesGreySpeckleBelowTheAmplitude) {
    resetRandom();
    fixture::fillFrame(0u);
    Noise noise(35);
    noise.draw();
    unsigned int highest = 0;
    int black = 0;
    resetRandom();  // pixel i takes draw i, to the last column of every row
    for (int i = 0; i < fixture::kPixels; ++i) {
        const unsigned int pixel = fixture::frame()[i];
        ASSERT_EQ(pixel, static_cast<unsigned int>(nextRandom() % 35) * 0x010101u) << "pixel " << i;
        highest = std::max(highest, fixture::channel(pixel, 0));
        black += pixel == 0;
    }
    EXPECT_EQ(highest, 34u);  // the whole range shows up over 64000 pixels
    EXPECT_GT(black, 0);
    EXPECT_LT(black, fixture::kPixels / 20);
}

TEST(Noise, SaturatesEachChannelOnItsOwn) {
    resetRandom();
    const unsigned int start = 0x001000FAu;  // red 250, green 0, blue 16
    fixture::fillFrame(start);
    Noise(40).draw();
    bool capped = false;
    for (int i = 0; i < fixture::kPixels; ++i) {
        const unsigned int pixel = fixture::frame()[i];
        const unsigned int added = fixture::channel(pixel, 1);  // green started at 0
        ASSERT_LT(added, 40u);
        ASSERT_EQ(fixture::channel(pixel, 0), std::min(255u, 250u + added)) << "pixel " << i;
        ASSERT_EQ(fixture::channel(pixel, 2), 16u + added) << "pixel " << i;
        capped |= added > 5;
    }
    EXPECT_TRUE(capped);
}

TEST(Noise, AmplitudeOneOrLessLeavesTheFrameButTakesOneDrawPerPixel) {
    for (int amplitude : {1, 0, -7}) {
        fixture::fillFrame(0x00804020u);
        resetRandom();
        Noise(amplitude).draw();
        const std::uint32_t state = randomState();
        EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0x00804020u), 0) << amplitude;
        EXPECT_EQ(state, fixture::stateAfter(1, fixture::kPixels)) << amplitude;
    }
}

}  // namespace
