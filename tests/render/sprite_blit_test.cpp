#include "render/pixel_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "render/plain_twins.h"
#include "tests/render/pixel_test_support.h"

namespace {

using namespace pixel_test;

// ---------------------------------------------------------------------------
// Sprite draws

std::vector<unsigned int> blankFrame() { return std::vector<unsigned int>(kPixels, kUntouched); }

// A source whose every pixel names its own place: row in bits 8-15, column
// in bits 0-7 (sources here are at most 256 wide), plus a marker byte.
std::vector<unsigned int> numberedSource(int width, int height) {
    std::vector<unsigned int> source(static_cast<size_t>(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) source[r * width + c] = 0x00100000u | r << 8 | c;
    return source;
}

TEST(SpriteClipping, NothingIsDrawnForEmptyOrOffScreenSprites) {
    const std::vector<unsigned int> source = numberedSource(16, 16);
    struct Case {
        int x, y, srcWidth, srcHeight, dstWidth, dstHeight;
    };
    const Case cases[] = {
        {0, 0, 0, 16, 16, 16},       {0, 0, 16, 0, 16, 16},      {0, 0, 16, 16, 0, 16},
        {0, 0, 16, 16, 16, 0},       {50, 50, 16, 16, -16, 16},  {50, 50, 16, 16, 16, -16},
        {50, 50, -16, 16, 16, 16},   {50, 50, 16, -16, 16, 16},  {320, 0, 16, 16, 16, 16},
        {0, 200, 16, 16, 16, 16},    {-16, 0, 16, 16, 16, 16},   {0, -16, 16, 16, 16, 16},
        {INT_MAX, 0, 16, 16, 16, 16}, {INT_MIN + 1, 0, 16, 16, INT_MAX, 16},
        {0, INT_MAX - 5, 16, 16, 16, INT_MAX}, {INT_MAX - 5, 5, 16, 16, INT_MAX, 16},
    };
    for (const Case& c : cases) {
        std::vector<unsigned int> frame = blankFrame();
        blitScaledAdd(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(), frame.data());
        blitScaledSub(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(), frame.data());
        blitScaled(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(), frame.data());
        blitScaledAddFade(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(), frame.data(), 0);
        EXPECT_EQ(std::count(frame.begin(), frame.end(), kUntouched), kPixels)
            << c.x << "," << c.y << " " << c.srcWidth << "x" << c.srcHeight << " -> "
            << c.dstWidth << "x" << c.dstHeight;
    }
}

TEST(SpriteScaling, EveryPixelComesFromItsProportionalPlaceAndNeverPastTheSource) {
    // Random sizes and places, magnified and minified. The source vector is
    // exactly its size, so the address sanitizer build also sees any overread.
    // Added, subtracted and faded sprites go over a random picture (top bytes
    // too); the fade mixes the old and the added pixel, its weights inside
    // 0..255 and wrapping outside it.
    const int weights[] = {0, 1, 77, 128, 254, 255, -1, 256, 1000};
    std::mt19937 generator(3);
    std::vector<unsigned int> background(kPixels);
    for (unsigned int& pixel : background) pixel = generator();
    for (int i = 0; i < 600; ++i) {
        const int srcWidth = 1 + static_cast<int>(generator() % 60);
        const int srcHeight = 1 + static_cast<int>(generator() % 60);
        const int dstWidth = 1 + static_cast<int>(generator() % 500);
        const int dstHeight = 1 + static_cast<int>(generator() % 300);
        const int x = static_cast<int>(generator() % 800) - 400;
        const int y = static_cast<int>(generator() % 500) - 250;
        const std::vector<unsigned int> source = numberedSource(srcWidth, srcHeight);
        const int w = weights[i % 9];
        std::vector<unsigned int> frame = blankFrame(), added = background, taken = background, faded = background;
        blitScaled(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source.data(), frame.data());
        blitScaledAdd(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source.data(), added.data());
        blitScaledSub(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source.data(), taken.data());
        blitScaledAddFade(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source.data(), faded.data(), w);

        const std::int64_t stepX = srcWidth * 256 / dstWidth;
        const std::int64_t stepY = srcHeight * 256 / dstHeight;
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                const int at = row * kWidth + column;
                const unsigned int got = frame[at];
                const bool inside = row >= y && row < y + dstHeight && row < 199 &&
                                    column >= x && column < x + dstWidth && column < 319;
                if (!inside) {
                    ASSERT_EQ(got, kUntouched) << "outside at " << column << "," << row;
                    ASSERT_TRUE(added[at] == background[at] && taken[at] == background[at] &&
                                faded[at] == background[at]);
                    continue;
                }
                const std::int64_t sourceRow = (row - y) * stepY >> 8;
                const std::int64_t sourceColumn = (column - x) * stepX >> 8;
                // What a caller making only the read texels is told.
                ASSERT_EQ(sourceRow, scaledSourceIndex(row - y, srcHeight, dstHeight));
                ASSERT_EQ(sourceColumn, scaledSourceIndex(column - x, srcWidth, dstWidth));
                ASSERT_LT(sourceRow, srcHeight);
                ASSERT_LT(sourceColumn, srcWidth);
                const unsigned int texel = source[sourceRow * srcWidth + sourceColumn];
                ASSERT_EQ(got, texel) << srcWidth << "x" << srcHeight << " -> " << dstWidth << "x" << dstHeight
                                      << " at " << x << "," << y << ", pixel " << column << "," << row;
                ASSERT_EQ(added[at], addSaturate(background[at], texel));
                ASSERT_EQ(taken[at], subSaturate(background[at], texel));
                ASSERT_EQ(faded[at], blendColor(background[at], addSaturate(background[at], texel), w)) << "w " << w;
            }
        }
    }
}

}  // namespace
