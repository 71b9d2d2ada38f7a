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
