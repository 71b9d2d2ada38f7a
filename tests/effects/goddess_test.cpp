#include <gtest/gtest.h>

#include <utility>

#include "effects/goddess.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "tests/effects/effect_fixture.h"

namespace {

using NORVALE_VIRELLO::Texture;

constexpr float kLoud = 10.0f;  // energy 2

class GoddessTest : public ::testing::Test {
protected:
    void SetUp() override {
        Goddess::lastPosition = 0;
        Goddess::sinceSwitch = 0;
        Goddess::imageIndex = 0;
        Goddess::spriteScale = 1.0f;
        Goddess::centreX = 51;
        Goddess::centreY = 44;
        resetRandom(3);
        goddess.init(100000, 122000);
    }

    void drawAt(int ms, float sum) {
        fixture::setSpectrumSum(sum);
        fixture::fillFrame(0u);
        fixture::showAt(goddess, ms);
        goddess.draw();
    }

    // A quiet frame, then a loud one: more than 100 ms counted whatever
    // came before, so the loud frame switches.
    void switchAt(int ms) {
        drawAt(ms - 100, 0.0f);
        drawAt(ms, kLoud);
    }

    Goddess goddess;
};

TEST_F(GoddessTest, FirstFrameShowsTheFirstPictureShrunkAroundItsStartingCentre) {
    drawAt(100000, kLoud);  // loud, but only 100 ms have been counted
    EXPECT_EQ(Goddess::imageIndex, 0);
    EXPECT_EQ(Goddess::sinceSwitch, 100);
    EXPECT_FLOAT_EQ(Goddess::spriteScale, 0.85f);
    // goddess1.jpg is 100 x 80: drawn 85 x 39 around (51, 44).
    EXPECT_EQ(fixture::changedBox(fixture::frame()), fixture::boxAt(8, 24, 85, 39));
}

TEST_F(GoddessTest, ASwitchNeedsMoreThan100msAndEnergyAbove065) {
    drawAt(100000, kLoud);
    drawAt(100001, 3.25f);  // exactly 0.65
    EXPECT_EQ(Goddess::imageIndex, 0);
    drawAt(100002, kLoud);  // 102 ms counted
    EXPECT_EQ(Goddess::imageIndex, 1);
    EXPECT_EQ(Goddess::sinceSwitch, 0);
    EXPECT_EQ(Goddess::spriteScale, 1.0f);

    drawAt(100102, kLoud);  // 100 ms after the switch
    EXPECT_EQ(Goddess::imageIndex, 1);
    drawAt(100103, kLoud);  // 101 ms
    EXPECT_EQ(Goddess::imageIndex, 2);
}

TEST_F(GoddessTest, ASwitchPlacesThePictureInsideTheFrame) {
    for (int i = 0; i < 40; ++i) {
        Goddess::imageIndex = 0;  // the next switch shows goddess2.jpg, 60 x 40
        const std::uint32_t state = randomState();
        switchAt(100200 + 200 * i);
        ASSERT_EQ(Goddess::imageIndex, 1);
        resetRandom(state);
        const int column = nextRandom();
        const int row = nextRandom();
        EXPECT_EQ(std::pair(Goddess::centreX, Goddess::centreY), std::pair(column % 260 + 30, row % 160 + 20));
        const fixture::Box box = fixture::changedBox(fixture::frame());
        EXPECT_TRUE(box.left >= 0 && box.right <= 319 && box.top >= 0 && box.width() == 60) << box;
    }
}

TEST_F(GoddessTest, AfterSevenSwitchesTheFirstPictureReturns) {
    for (int i = 1; i <= 7; ++i) {
        switchAt(100000 + 200 * i);
        EXPECT_EQ(Goddess::imageIndex, i % 7);
    }
}

TEST_F(GoddessTest, ABackwardStepCountsItsFullMagnitude) {
    drawAt(100000, 0.0f);
    drawAt(100600, 0.0f);  // capped at 100
    EXPECT_EQ(Goddess::sinceSwitch, 200);
    const float scale = Goddess::spriteScale;
    drawAt(100100, 0.0f);  // 500 ms back
    EXPECT_EQ(Goddess::sinceSwitch, 700);
    EXPECT_FLOAT_EQ(Goddess::spriteScale, scale - 0.75f);
    EXPECT_EQ(fixture::countDifferent(fixture::frame()), 0);  // shrunk away
}

}  // namespace
