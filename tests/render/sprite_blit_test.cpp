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
        blitScaledAdd(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(),
                      frame.data());
        blitScaledSub(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(),
                      frame.data());
        blitScaled(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, source.data(),
                   frame.data());
        blitScaledAddFade(c.x, c.y, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight,
                          source.data(), frame.data(), 0);
        EXPECT_EQ(std::count(frame.begin(), frame.end(), kUntouched), kPixels)
            << c.x << "," << c.y << " " << c.srcWidth << "x" << c.srcHeight << " -> "
            << c.dstWidth << "x" << c.dstHeight;
    }
}

TEST(SpriteScaling, EveryPixelComesFromItsProportionalPlaceAndNeverPastTheSource) {
    // Random sizes and places, magnified and minified. The source vector is
    // exactly its size, so the address sanitizer build also sees any overread.
    std::mt19937 generator(3);
    for (int i = 0; i < 600; ++i) {
        const int srcWidth = 1 + static_cast<int>(generator() % 60);
        const int srcHeight = 1 + static_cast<int>(generator() % 60);
        const int dstWidth = 1 + static_cast<int>(generator() % 500);
        const int dstHeight = 1 + static_cast<int>(generator() % 300);
        const int x = static_cast<int>(generator() % 800) - 400;
        const int y = static_cast<int>(generator() % 500) - 250;
        const std::vector<unsigned int> source = numberedSource(srcWidth, srcHeight);
        std::vector<unsigned int> frame = blankFrame();
        blitScaled(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source.data(), frame.data());

        const std::int64_t stepX = srcWidth * 256 / dstWidth;
        const std::int64_t stepY = srcHeight * 256 / dstHeight;
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                const unsigned int got = frame[row * kWidth + column];
                const bool inside = row >= y && row < y + dstHeight && row < 199 &&
                                    column >= x && column < x + dstWidth && column < 319;
                if (!inside) {
                    ASSERT_EQ(got, kUntouched) << "outside at " << column << "," << row;
                    continue;
                }
                const std::int64_t sourceRow = (row - y) * stepY >> 8;
                const std::int64_t sourceColumn = (column - x) * stepX >> 8;
                // What a caller making only the read texels is told.
                ASSERT_EQ(sourceRow, scaledSourceIndex(row - y, srcHeight, dstHeight));
                ASSERT_EQ(sourceColumn, scaledSourceIndex(column - x, srcWidth, dstWidth));
                ASSERT_LT(sourceRow, srcHeight);
                ASSERT_LT(sourceColumn, srcWidth);
                ASSERT_EQ(got, source[sourceRow * srcWidth + sourceColumn])
                    << srcWidth << "x" << srcHeight << " -> " << dstWidth << "x" << dstHeight
                    << " at " << x << "," << y << ", pixel " << column << "," << row;
            }
        }
    }
}

TEST(SpriteCombine, AddSubtractReplaceAndFade) {
    const std::vector<unsigned int> source(16, 0x00A0A0A0u);
    auto drawn = [&](auto draw, unsigned int background) {
        std::vector<unsigned int> frame(kPixels, background);
        draw(frame.data());
        return frame[5 * kWidth + 5];
    };
    EXPECT_EQ(drawn([&](unsigned int* f) { blitScaledAdd(0, 0, 4, 4, 8, 8, source.data(), f); },
                    0x01808080u),
              0x01FFFFFFu);
    EXPECT_EQ(drawn([&](unsigned int* f) { blitScaledSub(0, 0, 4, 4, 8, 8, source.data(), f); },
                    0x02C08080u),
              0x02200000u);
    EXPECT_EQ(drawn([&](unsigned int* f) { blitScaled(0, 0, 4, 4, 8, 8, source.data(), f); },
                    0x00123456u),
              0x00A0A0A0u);
    // Weight 0 shows the added sprite, 255 keeps the old pixel, both at 255/256.
    EXPECT_EQ(drawn([&](unsigned int* f) {
                  blitScaledAddFade(0, 0, 4, 4, 8, 8, source.data(), f, 0);
              }, 0x00204060u),
              pixelOf(0xFF * 255 / 256, 0xE0 * 255 / 256, 0xC0 * 255 / 256));
    EXPECT_EQ(drawn([&](unsigned int* f) {
                  blitScaledAddFade(0, 0, 4, 4, 8, 8, source.data(), f, 255);
              }, 0x00204060u),
              pixelOf(0x60 * 255 / 256, 0x40 * 255 / 256, 0x20 * 255 / 256));
}

TEST(SpriteCombine, FadeMixesTheOldAndTheAddedPixelForEveryWeight) {
    // Random pictures and sprites, widths that do and do not fill groups of
    // four columns, weights inside 0..255 and wrapping outside it.
    std::mt19937 generator(21);
    std::vector<unsigned int> source(37 * 23);
    for (unsigned int& pixel : source) pixel = generator();
    for (const int w : {0, 1, 77, 128, 254, 255, -1, 256, 1000}) {
        for (const int dstWidth : {1, 3, 4, 37, 90, 333}) {
            std::vector<unsigned int> frame(kPixels);
            for (unsigned int& pixel : frame) pixel = generator();
            const std::vector<unsigned int> before = frame;
            const int x = static_cast<int>(generator() % 40) - 20;
            blitScaledAddFade(x, 7, 37, 23, dstWidth, 50, source.data(), frame.data(), w);
            const int stepX = 37 * 256 / dstWidth, stepY = 23 * 256 / 50;
            for (int row = 0; row < kHeight; ++row) {
                for (int column = 0; column < kWidth; ++column) {
                    const int i = row * kWidth + column;
                    const bool inside = row >= 7 && row < 57 && column >= x && column < x + dstWidth &&
                                        column < 319;
                    if (!inside) {
                        ASSERT_EQ(frame[i], before[i]);
                        continue;
                    }
                    const unsigned int s = source[((row - 7) * stepY >> 8) * 37 + ((column - x) * stepX >> 8)];
                    ASSERT_EQ(frame[i], blendColor(before[i], addSaturate(before[i], s), w))
                        << "w " << w << " width " << dstWidth << " pixel " << column << "," << row;
                }
            }
        }
    }
}

}  // namespace
