#include "effects/zoom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/random.h"
#include "engine/vrl.h"
#include "render/mesh.h"
#include "render/photo_window.h"
#include "render/pixel_ops.h"
#include "tests/effects/effect_fixture.h"

namespace {

constexpr int kStart = 193000;
constexpr int kEnd = 223000;
constexpr unsigned int kInvert = 0xFFFFFF;

// Before the first beat every sprite is 256 x 256 with its corner at
// (-128, -128): only the top-left 128 x 128 pixels are stamped.
bool outsideSprites(int i) { return i % 320 >= 128 || i / 320 >= 128; }

struct ZoomTest : fixture::EffectTest<Zoom, kStart, kEnd> {
    ZoomTest() { Zoom::showMesh = false; }
    // The previous frame at `ms`, with no time left over from its steps.
    static void lastFrameAt(int ms) { Zoom::lastPosition = ms, Zoom::stepClock = 0; }
    Zoom& zoom = effect;
};

TEST_F(ZoomTest, AStepRunsEvery20msFromOnePictureIntoTheOtherAndSwapsThem) {
    lastFrameAt(205000);
    for (int i = 0; i < fixture::kPixels; ++i) zoom.pictureA[i] = (i % 7) * 0x202020u, zoom.pictureB[i] = i;
    const std::vector<unsigned int> a = zoom.pictureA, b = zoom.pictureB;
    drawAt(205020);  // no step yet: the target as it was
    EXPECT_EQ(Zoom::stepClock, 20);
    EXPECT_TRUE(zoom.useA && zoom.pictureA == a && zoom.pictureB == b);
    EXPECT_EQ(fixture::snapshot(), b);

    drawAt(205041);  // two steps, both from A into B, leave the roles as they were
    EXPECT_TRUE(zoom.useA);
    // So the next step reads A again: B is A blurred once more and zoomed,
    // and the roles flip for the frame after.
    std::vector<unsigned int> expected = zoom.pictureA, zoomed(fixture::kPixels);
    blur4(320, 200, expected.data());
    Zoom::zoomStep(expected.data(), zoomed.data());
    drawAt(205061);
    EXPECT_EQ(Zoom::stepClock, 1);
    EXPECT_FALSE(zoom.useA);
    EXPECT_EQ(zoom.pictureA, expected);
    for (int i = 0; i < fixture::kPixels; ++i)
        if (outsideSprites(i)) {
            ASSERT_EQ(zoom.pictureB[i], zoomed[i]) << i;
        }
}

TEST_F(ZoomTest, EachBeatFlipsTheColours) {
    lastFrameAt(210000);
    fixture::setSpectrumSum(3.75f);  // exactly 0.75: no beat
    drawAt(210000);
    EXPECT_FALSE(zoom.inverted);

    fixture::setSpectrumSum(4.0f);
    drawAt(210000);
    EXPECT_TRUE(zoom.inverted);
    const auto frame = fixture::snapshot();
    for (int i = 0; i < fixture::kPixels; ++i) ASSERT_EQ(frame[i], zoom.pictureB[i] ^ kInvert);

    drawAt(210000);  // the next beat flips back
    EXPECT_FALSE(zoom.inverted);
    EXPECT_EQ(fixture::snapshot(), zoom.pictureB);
}

TEST_F(ZoomTest, BeatsDealSpritesFromTheMiddleOutAndBringTheMeshLessThanHalfTheTime) {
    lastFrameAt(211000);
    fixture::setSpectrumSum(4.0f);
    resetRandom(123);
    int lowest[2] = {0, 0}, highest[2] = {0, 0}, meshes = 0;
    constexpr int kBeats = 400;
    for (int beat = 0; beat < kBeats; ++beat) {
        drawAt(211000);  // no time passes: the beat alone
        for (const ZoomSprite& sprite : zoom.sprites) {
            // Centred in the middle of the frame, flying at most 6 and 4.4
            // pixels a step, 16 to 79 pixels large, its image at that size.
            ASSERT_TRUE(sprite.baseX >= 40 && sprite.baseX < 280 && sprite.baseY >= 25 && sprite.baseY < 145);
            ASSERT_EQ(sprite.travelX, 0);
            ASSERT_EQ(sprite.travelY, 0);
            const int velocity[2] = {sprite.velocityX, sprite.velocityY};
            for (int axis : {0, 1}) {
                lowest[axis] = std::min(lowest[axis], velocity[axis]);
                highest[axis] = std::max(highest[axis], velocity[axis]);
            }
            ASSERT_TRUE(sprite.width >= 16 && sprite.width < 80 && sprite.height >= 16 && sprite.height < 80);
            ASSERT_EQ(sprite.imageWidth, sprite.width);
            ASSERT_EQ(sprite.imageHeight, sprite.height);
        }
        ASSERT_TRUE(Zoom::meshZ >= 1.5f && Zoom::meshZ <= 3.5f && std::fabs(Zoom::meshX) <= 1.0f &&
                    std::fabs(Zoom::meshY) <= 1.0f);
        meshes += Zoom::showMesh;
    }
    EXPECT_EQ(lowest[0], -1500);
    EXPECT_GE(highest[0], 1490);
    EXPECT_EQ(lowest[1], -1125);
    EXPECT_GE(highest[1], 1110);
    EXPECT_GT(meshes, kBeats / 4);
    EXPECT_LT(meshes, kBeats / 2);
}

TEST(ZoomSprite, KeptAtItsDrawnSizeItDrawsAsItsWholeTonedWindowWould) {
    for (const Zoom::SpriteLook look : {Zoom::SpriteLook{vrlGetTexture("kuva1.jpg"), 600, 470, 200},
                                        Zoom::SpriteLook{vrlGetTexture("kuva4.jpg"), 3, 5, 20}}) {
        std::vector<unsigned int> window(256 * 256);
        copyPhotoWindow(look.x, look.y, *look.photo, window.data());
        for (unsigned int& texel : window) texel = blend3(0u, texel, 0xFFFFFFu, look.level);
        for (const auto& [width, height] : {std::pair{16, 79}, std::pair{79, 16}, std::pair{41, 41}}) {
            ZoomSprite sprite;
            std::tie(sprite.width, sprite.height) = std::pair(width, height);
            Zoom::paintSprite(look, sprite);
            std::vector<unsigned int> whole(fixture::kPixels, 0u), kept(fixture::kPixels, 0u);
            blitScaled(-7, 3, 256, 256, width, height, window.data(), whole.data());
            blitScaled(-7, 3, sprite.imageWidth, sprite.imageHeight, width, height, sprite.image.data(), kept.data());
            ASSERT_EQ(kept, whole) << width << " x " << height;
        }
    }
}

TEST_F(ZoomTest, ASpriteIsCentredOnItsPathWithItsOwnWidthAndHeight) {
    lastFrameAt(212000);
    for (ZoomSprite& sprite : zoom.sprites) sprite.baseX = -1000;  // all off screen
    std::fill(zoom.sprites[3].image.begin(), zoom.sprites[3].image.end(), 0xFFFFFFu);
    ZoomSprite& sprite = zoom.sprites[3];
    std::tie(sprite.baseX, sprite.baseY, sprite.width, sprite.height) = std::tuple(100, 60, 40, 20);
    std::tie(sprite.velocityX, sprite.velocityY) = std::pair(512, -256);  // two pixels right, one up per step
    drawAt(212021);  // one step: the black picture zoomed and warmed, then the sprite
    EXPECT_EQ(fixture::changedBox(fixture::frame(), 0x000103u), fixture::boxAt(102 - 20, 59 - 10, 40, 20));
    EXPECT_EQ(fixture::frame()[59 * 320 + 102], 0xFFFFFFu);
}

TEST_F(ZoomTest, MeshIsDrawnIntoTheFeedbackPicture) {
    lastFrameAt(215000);
    std::tie(Zoom::showMesh, Zoom::meshX, Zoom::meshY, Zoom::meshZ) = std::tuple(true, 0.0f, 0.0f, 3.5f);
    // A picture whose middle crop is not what lies under the mesh.
    for (int i = 0; i < fixture::kPixels; ++i) zoom.pictureB[i] = static_cast<unsigned int>(i * 2654435761u) & 0xFFFFFFu;
    const std::vector<unsigned int> before = zoom.pictureB;
    drawAt(215000);  // no step: the target is B as it was, plus the mesh

    const fixture::Box drawn = fixture::differenceBox(before, zoom.pictureB);
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(drawn.left < 160 && drawn.right > 160) << drawn << ": the mesh sits on the view axis";
    EXPECT_EQ(fixture::snapshot(), zoom.pictureB);
    // It tumbles with the song position.
    const float a = 215000.0f * 0.00045f;
    fixture::expectTurnedBy(zoom.mesh->rotation, 8.0f * a, 11.0f * a, -5.0f * a);
    // The texture was cut before the mesh was drawn.
    for (int j = 0; j < 200; ++j)
        for (int i = 0; i < 256; ++i) ASSERT_EQ(zoom.meshTexture[j * 256 + i], before[j * 320 + 32 + i]);
}

TEST(ZoomStep, MagnifiesAboutAFixedPointAndWarms) {
    std::vector<unsigned int> source(fixture::kPixels, 0u), target(fixture::kPixels, 0u);
    source[66 * 320 + 106] = 0x00FFFFFF;  // a dot near the fixed point
    source[189 * 320 + 303] = 0x00200000;  // the last source pixel read
    Zoom::zoomStep(source.data(), target.data());
    EXPECT_EQ(target[67 * 320 + 107], 0x00FFFFFFu);
    EXPECT_EQ(target[199 * 320 + 319], 0x00200103u);
    EXPECT_EQ(target[0], 0x00000103u);
    EXPECT_EQ(target[100 * 320 + 300], 0x00000103u);
}

}  // namespace
