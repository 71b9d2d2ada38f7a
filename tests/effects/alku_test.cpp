#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "effects/alku.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "tests/effects/effect_fixture.h"

namespace {

class AlkuTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRandom();
        alku = std::make_unique<Alku>();
        alku->init(0, 49000);
        fixture::setSpectrumSum(0.0f);
    }

    // One frame over black at `ms`.
    void drawAt(int ms) {
        fixture::fillFrame(0u);
        fixture::showAt(*alku, ms);
        alku->draw();
    }

    // Leaves only the pictures on screen.
    void hideAsteroid() { alku->mesh = std::make_unique<Mesh>(); }

    std::unique_ptr<Alku> alku;
};

TEST_F(AlkuTest, TheAsteroidGrowsFromATenthToSixTenthsWhileItSwaysAndTumbles) {
    // Progress t and the scale it gives: none until 0.1, full from 0.6.
    for (auto [t, scale] : {std::pair{0.05f, 0.0f}, std::pair{0.1f, 0.0f}, std::pair{0.15f, 0.1f},
                            std::pair{0.35f, 0.5f}, std::pair{0.6f, 1.0f}, std::pair{0.9f, 1.0f}}) {
        drawAt(static_cast<int>(t * 49000.0f + 0.5f));
        const Mesh& mesh = *alku->mesh;
        EXPECT_NEAR(mesh.scale, scale, 1e-5) << t;
        const NORVALE_VIRELLO::Vector sway(std::sin(16.0f * t), 0.3f * std::cos(23.0f * t), std::sin(31.0f * t) + 2.5f);
        EXPECT_TRUE(fixture::near(mesh.position, sway, 1e-4)) << t;
        fixture::expectTurnedBy(mesh.rotation, 25.0f * t, 17.0f * t, -9.0f * t, 1e-4);
        EXPECT_EQ(mesh.renderMode, Mesh::kFlat);
    }
}

TEST_F(AlkuTest, PicturesFadeInAndOutWithTheirOwnStrength) {
    hideAsteroid();
    drawAt(8000);  // picture 0 starts, and is not drawn at its start
    EXPECT_EQ(fixture::countDifferent(fixture::frame()), 0);

    // At full strength white is added at 255/256.
    drawAt(11000);
    EXPECT_EQ(fixture::changedBox(fixture::frame()), fixture::boxAt(10, 20, 16, 16));
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0xFEFEFEu), fixture::kPixels - 256);

    // Picture 0 fading out and picture 1 fading in meet: picture 0 at
    // 255 x 0.25882 = 65.999, so alpha 65; picture 1 at 66.57, alpha 66.
    drawAt(13500);
    EXPECT_EQ(fixture::frame()[25 * fixture::kWidth + 15], 0x404040u);
    EXPECT_EQ(fixture::frame()[55 * fixture::kWidth + 45], 0x414141u);
    EXPECT_EQ(fixture::countDifferent(fixture::frame()), 512);
    drawAt(14000);  // picture 0 ends: picture 1 alone
    EXPECT_EQ(fixture::changedBox(fixture::frame()).left, 40);

    // A picture of strength 2 is at full strength (not beyond) over the
    // middle of its interval.
    drawAt(19000);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0xFEFEFEu), fixture::kPixels - 256);
    EXPECT_EQ(fixture::changedBox(fixture::frame()).left, 40);
}

TEST_F(AlkuTest, OnlyALevelAboveThreeTenthsRefreshesTheWindow) {
    hideAsteroid();
    const auto before = alku->gridTexture;
    resetRandom(77);
    fixture::setSpectrumSum(1.5f);
    drawAt(20000);
    EXPECT_EQ(randomState(), 77u);  // no draw
    EXPECT_EQ(alku->gridTexture, before);

    fixture::setSpectrumSum(1.5001f);
    drawAt(20000);
    EXPECT_NE(alku->gridTexture, before);
    EXPECT_EQ(randomState(), fixture::stateAfter(77, 3));  // photo, column, row
}

}  // namespace
