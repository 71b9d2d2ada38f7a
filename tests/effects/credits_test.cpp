#include "effects/credits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/random.h"
#include "render/mesh.h"
#include "tests/effects/effect_fixture.h"

namespace {

constexpr int kStart = 303000;
constexpr int kEnd = 333000;

int atProgress(float p) { return kStart + static_cast<int>(p * (kEnd - kStart)); }

class CreditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(credits.init(kStart, kEnd));
        fixture::setSpectrumSum(0.0f);
    }
    // The frame at a song position, the random generator at a fixed state.
    std::vector<unsigned int> frameAt(int ms) {
        resetRandom(4242);
        fixture::showAt(credits, ms);
        credits.draw();
        return fixture::snapshot();
    }
    // The same frame with the asteroid left out.
    std::vector<unsigned int> frameWithoutMeshAt(int ms) {
        std::unique_ptr<Mesh> kept = std::move(credits.mesh);
        auto frame = frameAt(ms);
        credits.mesh = std::move(kept);
        return frame;
    }
    Credits credits;
};

TEST_F(CreditsTest, FirstPictureShrinksAroundTheCentre) {
    // At p = 0.45 neither picture shows; the static is the same for a fixed
    // random state, so the difference is the picture alone.
    const auto bare = frameWithoutMeshAt(atProgress(0.45f));
    const fixture::Box full = fixture::differenceBox(bare, frameWithoutMeshAt(atProgress(0.1f) + 1));
    // credits1 is the 640 x 480 placeholder: at scale 1 it covers the frame.
    EXPECT_EQ(std::pair(full.left, full.width()), std::pair(0, 319));

    const fixture::Box box = fixture::differenceBox(bare, frameWithoutMeshAt(atProgress(0.25f)));
    // Scale 0.15: 96 pixels wide, 45 high (height from the width), centred.
    EXPECT_NEAR(box.width(), 96, 1);
    EXPECT_NEAR(box.height(), 45, 1);
    EXPECT_EQ(box.left, 112);
    EXPECT_EQ(box.top, 77);

    EXPECT_TRUE(fixture::differenceBox(bare, frameWithoutMeshAt(atProgress(0.3f))).empty());
}

TEST_F(CreditsTest, SecondPictureFromHalfwayWiderThanTheFrame) {
    // credits2 is 400 x 300 flat white; the placeholder of credits1 would be
    // 640 wide. At p = 0.65 the scale is 1 - 1.7 / 6.
    const auto bare = frameWithoutMeshAt(atProgress(0.45f));
    const auto shown = frameWithoutMeshAt(atProgress(0.65f));
    const fixture::Box box = fixture::differenceBox(bare, shown);
    EXPECT_NEAR(box.width(), 286, 1);
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) ASSERT_EQ(shown[y * 320 + x], 0xFFFFFFu);

    // At full size (just after p = 0.6) it is wider than the frame: clipped, no stray writes.
    const fixture::Box wide = fixture::differenceBox(bare, frameWithoutMeshAt(atProgress(0.6f) + 1));
    EXPECT_EQ(std::pair(wide.left, wide.right), std::pair(0, 319));
}

TEST_F(CreditsTest, AsteroidIsFullSizeUntilATenthThenShrinksWhileItWobbles) {
    for (auto [p, scale] : {std::pair{0.05f, 1.0f}, std::pair{0.35f, 0.5f}, std::pair{0.7f, 0.0f}}) {
        frameAt(atProgress(p));
        const Mesh& mesh = *credits.mesh;
        EXPECT_NEAR(mesh.scale, scale, 1e-5) << p;
        const NORVALE_VIRELLO::Vector wobble(0.4f * std::sin(11.0f * p), 0.2f * std::cos(13.0f * p), 1.6f);
        EXPECT_TRUE(fixture::near(mesh.position, wobble, 1e-5)) << p;
        fixture::expectTurnedBy(mesh.rotation, 18.0f * p, -7.0f * p, -5.0f * p);
    }
}

TEST(CreditsWithoutInit, DrawsDarkGreyStaticWithoutAMeshTakingOneDrawPerPixel) {
    Credits credits;
    std::tie(credits.startTime, credits.endTime) = std::pair(kStart, kEnd);
    resetRandom(4242);
    fixture::drawAt(credits, kStart + 1000);
    EXPECT_EQ(credits.mesh, nullptr);
    EXPECT_EQ(randomState(), fixture::stateAfter(4242, fixture::kPixels));
    int distinct = 0;
    for (int i = 0; i < fixture::kPixels; ++i) {
        const unsigned int pixel = fixture::frame()[i];
        ASSERT_TRUE(pixel == (pixel & 0xFF) * 0x010101u && (pixel & 0xFF) <= 63u) << i;
        distinct += pixel != fixture::frame()[0];
    }
    EXPECT_GT(distinct, fixture::kPixels / 2);
}

}  // namespace
