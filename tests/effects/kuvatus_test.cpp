#include <gtest/gtest.h>

#include <memory>
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

    void drawAt(int ms) {
        fixture::showAt(*kuvatus, ms);
        kuvatus->draw();
    }

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

TEST_F(KuvatusTest, UntilTheFirstBeatTheFirstPhotoShowsFromItsCorner) {
    EXPECT_EQ(kuvatus->photo, vrlGetTexture("kuva1.jpg"));
    EXPECT_EQ(kuvatus->asteroids.size(), 6u);
    drawAt(50000);
    EXPECT_TRUE(frameShowsPhoto(*kuvatus->photo, 0, 0));
}

TEST_F(KuvatusTest, AsteroidsAppearOnlyAfter61000ms) {
    drawAt(61000);
    EXPECT_TRUE(frameShowsPhoto(*kuvatus->photo, 0, 0));
    drawAt(61001);
    EXPECT_FALSE(frameShowsPhoto(*kuvatus->photo, 0, 0));
}

TEST_F(KuvatusTest, TheMeshesFollowTheSongPositionNotTheFrameTime) {
    // The hide test reads the song position itself, not `time`.
    kuvatus->update(70000.0f);
    vrlSetPosition(60000);
    kuvatus->draw();
    EXPECT_TRUE(frameShowsPhoto(*kuvatus->photo, 0, 0));
}

TEST_F(KuvatusTest, EnergyOfExactly065IsNoBeat) {
    const std::uint32_t before = randomState();
    const float rateBefore = kuvatus->groupRateA;
    fixture::setSpectrumSum(3.25f);
    drawAt(55000);
    EXPECT_EQ(randomState(), before);
    EXPECT_EQ(kuvatus->windowX, 0);
    EXPECT_EQ(kuvatus->groupRateA, rateBefore);
}

// What one beat must deal, replayed from the same generator state: two
// draws for the window, one for the photo, two for the texture window,
// then 36 units for the meshes and three for the group.
struct Deal {
    int windowX, windowY;
    Texture* photo;
    std::vector<unsigned int> meshTexture;
    std::vector<float> units;
};

Deal replayDeal(std::uint32_t state) {
    resetRandom(state);
    Deal deal;
    deal.windowX = nextRandom() % 320;
    deal.windowY = nextRandom() % 280;
    deal.photo = randomPhoto();
    const int column = nextRandom() % 640;
    const int row = nextRandom() % 480;
    deal.meshTexture.resize(256 * 256);
    copyPhotoWindow(column, row, deal.photo->getImgData(), deal.meshTexture.data());
    for (int i = 0; i < 39; ++i) deal.units.push_back(randomUnit());
    return deal;
}

void expectDealt(const Kuvatus& kuvatus, const Deal& deal) {
    EXPECT_EQ(kuvatus.windowX, deal.windowX);
    EXPECT_EQ(kuvatus.windowY, deal.windowY);
    EXPECT_EQ(kuvatus.photo, deal.photo);
    EXPECT_EQ(kuvatus.meshTexture, deal.meshTexture);
    for (size_t i = 0; i < 6; ++i) {
        const float* u = &deal.units[i * 6];
        EXPECT_EQ(kuvatus.asteroids[i].offsetX, (u[0] - 0.5f) * 3.0f) << i;
        EXPECT_EQ(kuvatus.asteroids[i].offsetY, (u[1] - 0.5f) * 3.0f) << i;
        EXPECT_EQ(kuvatus.asteroids[i].offsetZ, (u[2] - 0.5f) * 3.0f) << i;
        EXPECT_EQ(kuvatus.asteroids[i].spinA, (u[3] - 0.5f) * 100.0f) << i;
        EXPECT_EQ(kuvatus.asteroids[i].spinB, (u[4] - 0.5f) * 100.0f) << i;
        EXPECT_EQ(kuvatus.asteroids[i].spinC, (u[5] - 0.5f) * 100.0f) << i;
    }
    EXPECT_EQ(kuvatus.groupRateA, (deal.units[36] - 0.5f) * 50.0f);
    EXPECT_EQ(kuvatus.groupRateB, (deal.units[37] - 0.5f) * 50.0f);
    EXPECT_EQ(kuvatus.groupRateC, (deal.units[38] - 0.5f) * 50.0f);
}

TEST_F(KuvatusTest, EveryBeatReDealsEverythingInOrder) {
    fixture::setSpectrumSum(3.2500002f);  // just above the threshold
    for (std::uint32_t seed : {11u, 4242u}) {
        const Deal expected = replayDeal(seed);
        const std::uint32_t after = randomState();
        resetRandom(seed);
        drawAt(seed == 11u ? 57000 : 57033);  // two beats on consecutive frames
        expectDealt(*kuvatus, expected);
        EXPECT_EQ(randomState(), after);
        EXPECT_TRUE(frameShowsPhoto(*kuvatus->photo, kuvatus->windowX, kuvatus->windowY));
    }
    EXPECT_EQ(kuvatus->asteroids.size(), 6u);
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

}  // namespace

namespace {

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector;

void expectSameMatrix(const Matrix& actual, const Matrix& expected, const char* what) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-5) << what << " [" << r << "][" << c << "]";
}

TEST_F(KuvatusTest, EachAsteroidTurnsWithTheGroupAboutAPointThreeUnitsAhead) {
    kuvatus->groupRateA = 1.0f;
    kuvatus->groupRateB = -2.0f;
    kuvatus->groupRateC = 3.0f;
    const int ms = 65250;
    const float p = (65250.0f - 49000.0f) / 32500.0f;
    drawAt(ms);
    Matrix group;
    group.makeRotation(p * 1.0f, p * -2.0f, p * 3.0f);
    for (size_t i = 0; i < kuvatus->asteroids.size(); ++i) {
        const KuvatusAsteroid& asteroid = kuvatus->asteroids[i];
        const Mesh& mesh = *asteroid.mesh;
        const Vector expected =
            Vector(asteroid.offsetX, asteroid.offsetY, asteroid.offsetZ) * group + Vector(0.0f, 0.0f, 3.0f);
        EXPECT_NEAR(mesh.position.x, expected.x, 1e-5) << i;
        EXPECT_NEAR(mesh.position.y, expected.y, 1e-5) << i;
        EXPECT_NEAR(mesh.position.z, expected.z, 1e-5) << i;
        Matrix spin;
        spin.makeRotation(p * asteroid.spinA, p * asteroid.spinB, -p * asteroid.spinC);
        expectSameMatrix(mesh.rotation, spin, "spin");
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
