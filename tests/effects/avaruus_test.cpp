#include "effects/avaruus.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/random.h"
#include "render/photo_window.h"
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
    EXPECT_NEAR(cloud.angles.x, 5 * 0.005f, 1e-6);
    EXPECT_NEAR(cloud.angles.y, 5 * 0.01f, 1e-6);
    EXPECT_NEAR(cloud.angles.z, 5 * 0.002273f, 1e-6);
    // What is drawn is the cloud turned by the new angles, taken before the
    // step's drift.
    NORVALE_VIRELLO::Matrix turn;
    turn.makeRotation(cloud.angles.x, cloud.angles.y, cloud.angles.z);
    Vector3 beforeLastDrift = start;
    beforeLastDrift += direction * 0.04f;
    const Vector3 drawn = beforeLastDrift * turn;
    EXPECT_NEAR(cloud.flareRotated[3].x, drawn.x, 1e-4);
    EXPECT_NEAR(cloud.flareRotated[3].y, drawn.y, 1e-4);
    EXPECT_NEAR(cloud.flareRotated[3].z, drawn.z, 1e-4);
}

TEST(AvaruusCloud, EachFlareTakesSevenDrawsInOrder) {
    resetRandom(31);
    Avaruus cloud;
    resetRandom(31);
    for (int i = 0; i < 2; ++i) {
        const float theta = randomUnit() * 2.0f * 3.141592f;
        const float phi = randomUnit() * 2.0f * 3.141592f;
        const float radius = randomUnit() * 5.0f + 2.0f;
        const float size = randomUnit() * 5.0f + 2.6f;
        const float a = randomUnit() - 0.5f, b = randomUnit() - 0.5f, c = randomUnit() - 0.5f;
        const Vector3 start = Vector3(std::sin(theta) * std::sin(phi), std::sin(theta) * std::cos(phi),
                                      std::cos(theta)) * radius;
        const float length = std::sqrt(a * a + b * b + c * c);
        const Vector3 direction(c / length, b / length, a / length);
        EXPECT_EQ(cloud.flareSizes[i], size) << i;
        // Seen unturned at first, then moved one step along the direction.
        EXPECT_NEAR(cloud.flareRotated[i].x, start.x, 1e-5) << i;
        EXPECT_NEAR(cloud.flareRotated[i].z, start.z, 1e-5) << i;
        EXPECT_NEAR(cloud.flareVelocities[i].x, direction.x, 1e-5) << i;
        EXPECT_NEAR(cloud.flareVelocities[i].z, direction.z, 1e-5) << i;
        EXPECT_NEAR(cloud.flarePositions[i].y, start.y + 0.01f * direction.y, 1e-5) << i;
    }
}

}  // namespace
