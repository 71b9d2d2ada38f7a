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

TEST(Blur4, LeavesTheBorderAloneAndAveragesTheRestChannelByChannel) {
    std::mt19937 generator(9);
    std::vector<unsigned int> buffer(kPixels);
    for (unsigned int& pixel : buffer) pixel = generator();
    const std::vector<unsigned int> before = buffer;
    blur4(kWidth, kHeight, buffer.data());

    for (int i = 0; i < 322; ++i) ASSERT_EQ(buffer[i], before[i]) << i;  // row 0, row 1 columns 0-1
    for (int i = 199 * kWidth; i < kPixels; ++i) ASSERT_EQ(buffer[i], before[i]) << i;

    // Byte by byte, in order, reading the up and left neighbours already
    // blurred: an independent walk of the same rule.
    std::vector<unsigned int> expected = before;
    for (int i = 322; i <= kPixels - 321; ++i) {
        unsigned int result = 0;
        for (int c = 0; c < 3; ++c) {
            const unsigned int sum = channel(expected[i - 320], c) + channel(expected[i + 320], c) +
                                     channel(expected[i - 1], c) + channel(expected[i + 1], c);
            result |= (sum / 4) << (8 * c);
        }
        expected[i] = result;
    }
    EXPECT_EQ(buffer, expected);
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

TEST(Blur4, WalksFromRowOneColumnTwoToTheEndOfTheNextToLastRow) {
    // A flat picture blurs to itself, but a processed pixel loses its top
    // byte: that marks exactly which indices the pass touched.
    const unsigned int flat = 0xFF808080u;
    std::vector<unsigned int> buffer(kPixels, flat);
    blur4(320, 2, buffer.data());  // no row between the first and the last
    blur4(-320, -200, buffer.data());
    blur4(-1, 1000, buffer.data());
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), flat), kPixels);

    blur4(320, 3, buffer.data());  // only row 1, from column 2: index 322 .. 639
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(buffer[i], i >= 322 && i <= 639 ? 0x00808080u : flat) << i;

    // Other widths: rows are `width` apart, from index width + 2 to
    // width * height - width - 1, and nothing outside width * height moves.
    for (const int width : {100, 321}) {
        std::fill(buffer.begin(), buffer.end(), flat);
        blur4(width, 150, buffer.data());
        for (int i = 0; i < kPixels; ++i)
            ASSERT_EQ(buffer[i], i >= width + 2 && i <= width * 149 - 1 ? 0x00808080u : flat)
                << width << " " << i;
    }
    // The pixel above a bright one in a narrow buffer is `width` before it.
    std::vector<unsigned int> narrow(100 * 10, 0u);
    narrow[5 * 100 + 50] = 0xFCu;
    blur4(100, 10, narrow.data());
    EXPECT_EQ(narrow[4 * 100 + 50], 0x3Fu);
}

}  // namespace
