#include "render/pixel_ops.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "render/plain_twins.h"
#include "tests/render/pixel_test_support.h"

namespace {

using namespace pixel_test;

// ---------------------------------------------------------------------------
// Blur

// The rule written out byte by byte: the first width * height pixels as
// one run, neighbours 1 and 320 away whatever the width, up and left
// already blurred by this pass.
void referenceBlur(int width, int height, std::vector<unsigned int>& pixels) {
    const int count = width * height;
    for (int i = 322; i <= count - 321; ++i) {
        unsigned int result = 0;
        for (int c = 0; c < 3; ++c) {
            const unsigned int sum = channel(pixels[i - 320], c) + channel(pixels[i + 320], c) +
                                     channel(pixels[i - 1], c) + channel(pixels[i + 1], c);
            result |= (sum / 4) << (8 * c);
        }
        pixels[i] = result;
    }
}

TEST(Blur4, WalksTheFirstWidthTimesHeightPixelsWithRowsAFrameApart) {
    std::mt19937 generator(9);
    // The show's frame, and areas narrower and wider than a frame row whose
    // rows are still 320 apart. The buffer is a whole frame, so a pixel
    // past the run that moved would show.
    const struct {
        int width, height;
    } sizes[] = {{320, 200}, {100, 30}, {643, 1}, {17, 100}};
    for (const auto [width, height] : sizes) {
        std::vector<unsigned int> buffer(kPixels);
        for (unsigned int& pixel : buffer) pixel = generator();
        std::vector<unsigned int> expected = buffer;
        blur4(width, height, buffer.data());
        referenceBlur(width, height, expected);
        ASSERT_EQ(buffer, expected) << width << "x" << height;
    }
}

TEST(Blur4, UsesThisPassResultsForUpAndLeftAndWrapsAtRowEnds) {
    std::vector<unsigned int> buffer(kPixels, 0);
    buffer[1 * kWidth + 10] = 0x000000FFu;  // one red point in row 1
    buffer[3 * kWidth + 0] = 0x0000FF00u;   // one green point at the start of row 3
    blur4(kWidth, kHeight, buffer.data());
    // Left of the point: a quarter of it. The point itself then sees only
    // its fresh left neighbour, and the next one a quarter of that.
    EXPECT_EQ(buffer[1 * kWidth + 9], 63u);
    EXPECT_EQ(buffer[1 * kWidth + 10], 15u);
    EXPECT_EQ(buffer[1 * kWidth + 11], 3u);
    EXPECT_EQ(buffer[1 * kWidth + 12], 0u);
    // Below, the up neighbour is already blurred too.
    EXPECT_EQ(buffer[2 * kWidth + 9], 63u / 4);
    EXPECT_EQ(buffer[2 * kWidth + 10], (15u + 63u / 4) / 4);
    // Column 319 of row 2 takes column 0 of row 3 as its right neighbour.
    EXPECT_EQ(buffer[2 * kWidth + 319], 63u << 8);
}

TEST(Blur4, WalksFromIndex322ToTheRunMinus321) {
    // A flat picture blurs to itself, but a processed pixel loses its top
    // byte: that marks exactly which indices the pass touched.
    const unsigned int flat = 0xFF808080u;
    std::vector<unsigned int> buffer(kPixels, flat);
    blur4(321, 2, buffer.data());  // 642 pixels: too few
    blur4(642, 1, buffer.data());
    blur4(-320, -200, buffer.data());
    blur4(-1, 1000, buffer.data());
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), flat), kPixels);

    blur4(643, 1, buffer.data());  // the shortest run: index 322 alone
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(buffer[i], i == 322 ? 0x00808080u : flat) << i;

    // Up and down are 320 away in a narrow area too, not a width away.
    std::vector<unsigned int> narrow(100 * 30, 0u);
    narrow[1000] = 0xFCu;
    blur4(100, 30, narrow.data());
    EXPECT_EQ(narrow[1000 - 320], 0x3Fu);
    EXPECT_EQ(narrow[1000 - 100], 0u);
}

}  // namespace
