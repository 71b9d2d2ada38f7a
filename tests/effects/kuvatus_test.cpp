#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

#include "effects/kuvatus.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "render/photo_window.h"
#include "tests/effects/effect_fixture.h"

namespace {

using NORVALE_VIRELLO::Texture;

class KuvatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetRandom();
        kuvatus = std::make_unique<Kuvatus>();
        kuvatus->init(49000, 81500);
        fixture::setSpectrumSum(0.0f);
    }

    void drawAt(int ms) { fixture::drawAt(*kuvatus, ms); }

    // The frame's pixels where the photo lies, starting at its corner (x, y).
    static bool frameShowsPhoto(const Texture& photo, int x, int y) {
        const unsigned int* pixels = photo.getImgData();
        for (int row = 0; row < fixture::kHeight; ++row)
            for (int column = 0; column < fixture::kWidth; ++column)
                if (fixture::frame()[row * fixture::kWidth + column] !=
                    pixels[(y + row) * photo.getWidth() + x + column])
                    return false;
        return true;
    }

    std::unique_ptr<Kuvatus> kuvatus;
};

TEST_F(KuvatusTest, UntilTheFirstBeatTheFirstPhotoShowsAndTheAsteroidsAfter61000ms) {
    EXPECT_EQ(kuvatus->photo, vrlGetTexture("kuva1.jpg"));
    EXPECT_EQ(kuvatus->asteroids.size(), 6u);
    drawAt(61000);
    EXPECT_TRUE(frameShowsPhoto(*kuvatus->photo, 0, 0));
    drawAt(61001);
    EXPECT_FALSE(frameShowsPhoto(*kuvatus->photo, 0, 0));
}

TEST_F(KuvatusTest, EveryBeatDealsANewPhotoWindowAndGroupWithinTheirRanges) {
    const std::uint32_t before = randomState();
    fixture::setSpectrumSum(3.25f);  // exactly 0.65: no beat
    drawAt(55000);
    EXPECT_EQ(randomState(), before);
    EXPECT_EQ(kuvatus->windowX, 0);
    fixture::setSpectrumSum(3.2500002f);  // just above the threshold
    std::set<const Texture*> photos;
    int lowestRow = 280, highestRow = 0;
    float lastRate = kuvatus->groupRateA;
    for (int beat = 0; beat < 60; ++beat) {
        drawAt(57000 + 33 * beat);  // beats on consecutive frames
        // The frame shows the photo from a corner that keeps the window inside it.
        ASSERT_TRUE(kuvatus->windowX >= 0 && kuvatus->windowX < 320 && kuvatus->windowY >= 0 && kuvatus->windowY < 280);
        lowestRow = std::min(lowestRow, kuvatus->windowY);
        highestRow = std::max(highestRow, kuvatus->windowY);
        ASSERT_TRUE(frameShowsPhoto(*kuvatus->photo, kuvatus->windowX, kuvatus->windowY));
        photos.insert(kuvatus->photo);
        for (const KuvatusAsteroid& asteroid : kuvatus->asteroids) {
            for (float offset : {asteroid.offsetX, asteroid.offsetY, asteroid.offsetZ})
                ASSERT_TRUE(offset >= -1.5f && offset < 1.5f) << offset;
            for (float spin : {asteroid.spinA, asteroid.spinB, asteroid.spinC})
                ASSERT_TRUE(spin >= -50.0f && spin < 50.0f) << spin;
        }
        for (float rate : {kuvatus->groupRateA, kuvatus->groupRateB, kuvatus->groupRateC})
            ASSERT_TRUE(rate >= -25.0f && rate < 25.0f) << rate;
        ASSERT_NE(kuvatus->groupRateA, lastRate);
        lastRate = kuvatus->groupRateA;
    }
    EXPECT_LT(lowestRow, 30);
    EXPECT_GT(highestRow, 250);
    std::set<const Texture*> table;
    for (const char* name : kPhotoTable) table.insert(vrlGetTexture(name));
    EXPECT_EQ(photos, table);
}

TEST_F(KuvatusTest, ASmallPhotoIsRepeatedNotReadPastItsEnd) {
    Texture* small = vrlGetTexture("goddess2.jpg");  // 60 x 40, white
    kuvatus->photo = small;
    kuvatus->windowX = 319;
    kuvatus->windowY = 279;
    drawAt(50000);
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), small->getImgData()[0]), 0);
    kuvatus->refreshMeshTexture();
    for (unsigned int texel : kuvatus->meshTexture) ASSERT_EQ(texel, small->getImgData()[0]);
}

TEST_F(KuvatusTest, EachAsteroidTurnsWithTheGroupAboutAPointThreeUnitsAhead) {
    std::tie(kuvatus->groupRateA, kuvatus->groupRateB, kuvatus->groupRateC) = std::tuple(1.0f, -2.0f, 3.0f);
    const int ms = 65250;
    const float p = (65250.0f - 49000.0f) / 32500.0f;
    drawAt(ms);
    NORVALE_VIRELLO::Matrix group;
    group.makeRotation(p * 1.0f, p * -2.0f, p * 3.0f);
    for (size_t i = 0; i < kuvatus->asteroids.size(); ++i) {
        const KuvatusAsteroid& asteroid = kuvatus->asteroids[i];
        const Mesh& mesh = *asteroid.mesh;
        const NORVALE_VIRELLO::Vector expected =
            NORVALE_VIRELLO::Vector(asteroid.offsetX, asteroid.offsetY, asteroid.offsetZ) * group +
            NORVALE_VIRELLO::Vector(0.0f, 0.0f, 3.0f);
        EXPECT_TRUE(fixture::near(mesh.position, expected, 1e-5)) << i;
        fixture::expectTurnedBy(mesh.rotation, p * asteroid.spinA, p * asteroid.spinB, -p * asteroid.spinC);
    }
}

TEST_F(KuvatusTest, NearerAsteroidsAreDrawnOverFartherOnes) {
    // Mesh 0 two units ahead in green, mesh 1 four units ahead in red, both
    // on the view axis; the others behind the viewer, where nothing draws.
    const std::vector<unsigned int> green(256 * 256, 0x00FF00u), red(256 * 256, 0x0000FFu);
    for (size_t i = 0; i < kuvatus->asteroids.size(); ++i) {
        KuvatusAsteroid& asteroid = kuvatus->asteroids[i];
        asteroid.offsetX = asteroid.offsetY = 0.0f;
        asteroid.offsetZ = i == 0 ? -1.0f : i == 1 ? 1.0f : -10.0f;
        asteroid.spinA = asteroid.spinB = asteroid.spinC = 0.0f;
    }
    kuvatus->asteroids[0].mesh->setTexture(green.data());
    kuvatus->asteroids[1].mesh->setTexture(red.data());
    drawAt(70000);
    EXPECT_EQ(fixture::frame()[100 * fixture::kWidth + 160], 0x00FF00u);
    // Half as large on screen, the far one lies wholly behind the near one.
    EXPECT_EQ(fixture::countDifferent(fixture::frame(), 0x0000FFu), fixture::kPixels);
}

}  // namespace
