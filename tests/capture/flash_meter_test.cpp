// The flash measure on made-up sequences at 60 frames a second, each a
// pattern that switches between two colours at a given rate.
#include "tools/capture/flash_meter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/frame.h"

namespace {

constexpr std::uint32_t kBlack = 0x000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFu;
constexpr std::uint32_t kDarkRed = 0x000080u;  // red in the low byte

struct Flashing {
    int hertz = 4;
    int rows = kFrameHeight;  // the top rows that flash; the rest stay black
    std::uint32_t on = kWhite;
    std::uint32_t off = kBlack;
    bool checkerboard = false;  // pixel by pixel, the two colours swap places
};

// The worst second over three seconds of the pattern, and how many of the
// frames ended a failing second.
struct Worst {
    FlashCount count;
    int failingFrames = 0;
};

Worst measure(const Flashing& pattern) {
    FlashMeter meter;
    std::vector<std::uint32_t> frame(kFramePixels, pattern.off);
    Worst worst;
    for (int i = 0; i < 180; ++i) {
        const int ms = i * 1000 / 60;
        const bool on = i * 2 * pattern.hertz / 60 % 2 == 1;
        for (int y = 0; y < pattern.rows; ++y)
            for (int x = 0; x < kFrameWidth; ++x) {
                const bool lit = pattern.checkerboard ? ((x + y) % 2 == 0) == on : on;
                frame[y * kFrameStride + x] = lit ? pattern.on : pattern.off;
            }
        const FlashCount count = meter.add(ms, frame.data());
        worst.count.general = std::max(worst.count.general, count.general);
        worst.count.red = std::max(worst.count.red, count.red);
        worst.failingFrames += count.fails();
    }
    return worst;
}

TEST(FlashMeter, FourFlashesASecondOverTheWholePictureFailTwoPass) {
    const Worst four = measure({.hertz = 4});
    EXPECT_EQ(four.count.general, 8);
    EXPECT_GT(four.failingFrames, 60);
    EXPECT_EQ(four.count.red, 0) << "white is no red";
    const Worst two = measure({.hertz = 2});
    EXPECT_EQ(two.count.general, 4);
    EXPECT_EQ(two.failingFrames, 0);
    // Three a second is the most that passes: six transitions in any second.
    const Worst three = measure({.hertz = 3});
    EXPECT_EQ(three.count.general, 6);
    EXPECT_EQ(three.failingFrames, 0);
}

TEST(FlashMeter, OnlyAQuarterOfThePictureOrMoreCounts) {
    EXPECT_EQ(measure({.hertz = 10, .rows = kFrameHeight / 10}).count.general, 0);
    EXPECT_EQ(measure({.hertz = 10, .rows = kFrameHeight / 4}).count.general, 20);
    // A fine pattern whose halves swap is the same light as a whole.
    EXPECT_EQ(measure({.hertz = 10, .checkerboard = true}).count.general, 0);
}

TEST(FlashMeter, ASaturatedRedFlashCountsAsRedEvenWhereItsLuminanceSwingIsSmall) {
    // Dark red against black: under 0.1 in luminance, far over 20 in redness.
    const Worst red = measure({.hertz = 4, .on = kDarkRed});
    EXPECT_EQ(red.count.general, 0);
    EXPECT_EQ(red.count.red, 8);
    EXPECT_GT(red.failingFrames, 60);
    // Light grey against white never has a dark side, so it never counts.
    const Worst bright = measure({.hertz = 4, .on = 0xE8E8E8u, .off = kWhite});
    EXPECT_EQ(bright.count.general, 0);
}

}  // namespace
