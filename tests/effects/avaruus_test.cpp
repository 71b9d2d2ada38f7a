#include "effects/avaruus.h"

#include <gtest/gtest.h>

#include "tests/effects/effect_fixture.h"
#include "tests/effects/frame_diff.h"

using NORVALE_VIRELLO::Vector3;

namespace {

class AvaruusTest : public ::testing::Test {
protected:
    void SetUp() override {
        cloud.init(223000, 243000);
        Avaruus::lastPosition = 230000;
        Avaruus::stepClock = 0;
    }
    void drawAt(int ms) {
        fixture::showAt(cloud, ms);
        cloud.draw();
    }
    Avaruus cloud;
};

TEST_F(AvaruusTest, GreenPassTakesSixteenOffGreenOnly) {
    cloud.flareCount = 0;
    unsigned int* frame = fixture::frame();
    for (int i = 0; i < fixture::kPixels; ++i) frame[i] = static_cast<unsigned int>(i % 256) * 0x010101u;
    drawAt(230000);
    for (int i = 0; i < fixture::kPixels; ++i) {
        const int value = i % 256;
        const unsigned int expected = value * 0x010001u + (value < 16 ? 0 : value - 16) * 0x100u;
        ASSERT_EQ(frame[i], expected) << i;
    }
}

TEST_F(AvaruusTest, FlaresBehindTheViewerDrawNothingAndZeroDepthUsesDepthOne) {
    cloud.flareCount = 2;
    Avaruus::stepClock = 0;
    cloud.flareRotated[0] = Vector3(0.0f, 0.0f, -20.0f);        // behind: negative width
    cloud.flareRotated[1] = Vector3(0.0f, 0.0f, -15.00005f);    // within 0.0001 of depth 0
    cloud.flareSizes[1] = 0.05f;
    fixture::fillFrame(0x808080);
    cloud.drawFlares(fixture::frame());
    const fixture::Box box = fixture::changedBox(fixture::frame(), 0x808080);
    EXPECT_EQ(box.left, 154);
    EXPECT_EQ(box.width(), 12);
    EXPECT_EQ(box.height(), 12);
}

TEST_F(AvaruusTest, CloudDriftsOneHundredthPerStepAtMostFiveStepsAFrame) {
    const Vector3 start = cloud.flarePositions[3];
    const Vector3 direction = cloud.flareVelocities[3];
    EXPECT_NEAR(direction.length(), 1.0f, 1e-5);

    Avaruus::stepClock = 20;
    drawAt(239000);  // nine seconds later: capped to 100 ms, five steps
    EXPECT_EQ(Avaruus::stepClock, 20);
    EXPECT_NEAR(cloud.flarePositions[3].x, start.x + 0.05f * direction.x, 1e-5);
    EXPECT_NEAR(cloud.flarePositions[3].z, start.z + 0.05f * direction.z, 1e-5);
    EXPECT_NEAR(cloud.angles.y, 5 * 0.01f, 1e-6);
}

}  // namespace
