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
    // The show's frame, areas whose pixel count leaves each remainder of a
    // four-at-a-time walk, areas narrower and wider than a frame row whose
    // rows are still 320 apart, and runs too short to have an inner pixel.
    // The buffer is a whole frame, so a pixel past the run that moved would show.
    const struct {
        int width, height;
    } sizes[] = {{320, 200}, {320, 3}, {320, 4}, {320, 5},  {320, 6}, {320, 7}, {320, 101},
                 {100, 30},  {643, 1}, {644, 1}, {17, 100}, {321, 2}, {642, 1}, {-1, 1000}};
    for (const auto [width, height] : sizes) {
        std::vector<unsigned int> buffer(kPixels);
        for (unsigned int& pixel : buffer) pixel = generator();
        std::vector<unsigned int> expected = buffer;
        blur4(width, height, buffer.data());
        referenceBlur(width, height, expected);
        ASSERT_EQ(buffer, expected) << width << "x" << height;
    }
}

TEST(Blur4, NegativeSizesAreLeftAloneEvenWhenTheirProductIsAFrame) {
    std::vector<unsigned int> buffer(kPixels, 0xFF808080u);  // a processed pixel would lose its top byte
    blur4(-320, -200, buffer.data());
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xFF808080u), kPixels);
}

}  // namespace
