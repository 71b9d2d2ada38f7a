#include "render/pixel_ops.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "engine/random.h"
#include "engine/vrl.h"
#include "render/plain_twins.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kPixels = kWidth * kHeight;
constexpr unsigned int kUntouched = 0xA5C3E1F7u;  // a value no test draws

unsigned int channel(unsigned int pixel, int index) { return (pixel >> (8 * index)) & 0xFFu; }

unsigned int pixelOf(unsigned int red, unsigned int green, unsigned int blue) {
    return red | green << 8 | blue << 16;
}

// ---------------------------------------------------------------------------
// Saturating arithmetic

TEST(Saturate, ClampsEachByteIncludingTheTopOne) {
    // Bytes from low to high: 0x10 + 0x20, 0x01 + 0xFF, 0x80 + 0x90, 0xFF + 0x01.
    EXPECT_EQ(addSaturate(0xFF800110u, 0x0190FF20u), 0xFFFFFF30u);
    EXPECT_EQ(addSaturateScalar(0xFF800110u, 0x0190FF20u), 0xFFFFFF30u);
    // The second argument is taken from the first; each byte stops at zero.
    EXPECT_EQ(subSaturate(0x108005FFu, 0x20400501u), 0x004000FEu);
    EXPECT_EQ(subSaturateScalar(0x108005FFu, 0x20400501u), 0x004000FEu);
}

TEST(Saturate, PackedAndScalarAgreeOnEveryBytePairAndRandomPixels) {
    if (!kSimdBuild) GTEST_SKIP() << "this build has only the scalar path";
    // Every pair of byte values, in every byte position.
    for (unsigned int a = 0; a < 256; ++a) {
        for (unsigned int b = 0; b < 256; ++b) {
            const unsigned int left = a | b << 8 | (a ^ 0x5Au) << 16 | (255 - a) << 24;
            const unsigned int right = b | a << 8 | (b ^ 0xA5u) << 16 | (255 - b) << 24;
            ASSERT_EQ(addSaturate(left, right), addSaturateScalar(left, right)) << a << " " << b;
            ASSERT_EQ(subSaturate(left, right), subSaturateScalar(left, right)) << a << " " << b;
        }
    }
    std::mt19937 generator(7);
    for (int i = 0; i < 1000000; ++i) {
        const unsigned int a = generator();
        const unsigned int b = generator();
        ASSERT_EQ(addSaturate(a, b), addSaturateScalar(a, b)) << std::hex << a << " " << b;
        ASSERT_EQ(subSaturate(a, b), subSaturateScalar(a, b)) << std::hex << a << " " << b;
    }
}

// ---------------------------------------------------------------------------
// Colour mixes

TEST(BlendColor, FullWeightKeeps255Of256AndDropsTheTopByte) {
    const unsigned int a = 0xFF804020u;
    const unsigned int b = 0x7F10FF08u;
    // w = 255: a alone, each channel times 255/256 (rounded down).
    EXPECT_EQ(blendColor(a, b, 255), pixelOf(0x20 * 255 / 256, 0x40 * 255 / 256, 0x80 * 255 / 256));
    // w = 0: b alone, likewise.
    EXPECT_EQ(blendColor(a, b, 0), pixelOf(0x08 * 255 / 256, 0xFF * 255 / 256, 0x10 * 255 / 256));
    EXPECT_EQ(blendColor(0x00FFFFFFu, 0x00FFFFFFu, 100), 0x00FEFEFEu);
}

TEST(BlendColor, PackedChannelsMatchAChannelByChannelMix) {
    std::mt19937 generator(11);
    for (int w = 0; w <= 255; ++w) {
        for (int i = 0; i < 200; ++i) {
            const unsigned int a = generator();
            const unsigned int b = generator();
            const unsigned int mixed = blendColor(a, b, w);
            for (int c = 0; c < 3; ++c) {
                const unsigned int expected =
                    (channel(a, c) * w + channel(b, c) * (255 - w)) / 256;
                ASSERT_EQ(channel(mixed, c), expected) << "w " << w << " channel " << c;
            }
            ASSERT_EQ(channel(mixed, 3), 0u);
        }
    }
}

TEST(Blend3, RampRunsThroughTheMiddleColourWithoutAJump) {
    const unsigned int c1 = pixelOf(255, 0, 40);
    const unsigned int c2 = pixelOf(0, 255, 200);
    const unsigned int c3 = pixelOf(90, 30, 255);
    EXPECT_EQ(blend3(c1, c2, c3, 0), pixelOf(254, 0, 40 * 255 / 256));
    for (unsigned int level : {127u, 128u}) {
        const unsigned int middle = blend3(c1, c2, c3, static_cast<int>(level));
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(static_cast<int>(channel(middle, c)), static_cast<int>(channel(c2, c)), 3)
                << "level " << level << " channel " << c;
    }
    const unsigned int end = blend3(c1, c2, c3, 254);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(static_cast<int>(channel(end, c)), static_cast<int>(channel(c3, c)), 3);

    // Two steps of weight per level: no channel moves by more than 2 at once.
    for (int level = 1; level <= 254; ++level) {
        const unsigned int before = blend3(c1, c2, c3, level - 1);
        const unsigned int after = blend3(c1, c2, c3, level);
        for (int c = 0; c < 3; ++c)
            ASSERT_LE(std::abs(static_cast<int>(channel(after, c)) - static_cast<int>(channel(before, c))), 2)
                << "level " << level << " channel " << c;
    }
}

// A weight reduced modulo 2^32 and the formula's products taken modulo
// 2^32, written independently with 64-bit arithmetic.
unsigned int wrappedScale(unsigned int pixel, std::int64_t weight) {
    const std::int64_t modulus = std::int64_t{1} << 32;
    const std::uint64_t k = static_cast<std::uint64_t>(((weight % modulus) + modulus) % modulus);
    const std::uint64_t redBlue = (std::uint64_t{pixel & 0x00FF00FFu} * k) % modulus;
    const std::uint64_t green = (std::uint64_t{pixel & 0x0000FF00u} * k) % modulus;
    return static_cast<unsigned int>(((redBlue >> 8) & 0x00FF00FFu) + ((green >> 8) & 0x0000FF00u));
}

TEST(Blend3, LevelsOutsideTheRampWrapTheWeightsAround) {
    // Pure red at level 255: the weight 255 - 256 wraps to 2^32 - 1, which
    // turns 0xFF into 0xFFFFFF01 and, shifted and masked, red plus blue.
    EXPECT_EQ(blend3(0, 0x000000FFu, 0, 255), 0x00FF00FFu);

    std::mt19937 generator(5);
    for (int level : {255, 256, 258, 300, 1000, 100000, INT_MAX, -1, INT_MIN}) {
        for (int i = 0; i < 100; ++i) {
            const unsigned int c1 = generator(), c2 = generator(), c3 = generator();
            const std::int64_t twice = 2 * std::int64_t{level};
            const unsigned int expected =
                level <= 127 ? wrappedScale(c1, 255 - twice) + wrappedScale(c2, twice)
                             : wrappedScale(c2, 255 - (twice - 254)) + wrappedScale(c3, twice - 254);
            ASSERT_EQ(blend3(c1, c2, c3, level), expected) << "level " << level;
        }
    }
}

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

struct Written {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;  // inclusive bounds
};

Written writtenArea(const std::vector<unsigned int>& frame) {
    Written area;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (frame[y * kWidth + x] != kUntouched) {
                area.left = std::min(area.left, x);
                area.right = std::max(area.right, x);
                area.top = std::min(area.top, y);
                area.bottom = std::max(area.bottom, y);
            }
    return area;
}

TEST(SpriteClipping, StopsOneShortOfTheRightAndBottomEdges) {
    const std::vector<unsigned int> source = numberedSource(40, 20);
    std::vector<unsigned int> frame = blankFrame();
    blitScaled(300, 190, 40, 20, 40, 20, source.data(), frame.data());
    const Written area = writtenArea(frame);
    EXPECT_EQ(area.left, 300);
    EXPECT_EQ(area.right, 318);
    EXPECT_EQ(area.top, 190);
    EXPECT_EQ(area.bottom, 198);
    EXPECT_EQ(frame[190 * kWidth + 300], source[0]);
    EXPECT_EQ(frame[198 * kWidth + 318], source[8 * 40 + 18]);

    // Even a full-screen sprite leaves column 319 and row 199 alone.
    const std::vector<unsigned int> screen = numberedSource(256, 200);
    frame = blankFrame();
    blitScaledAdd(0, 0, 256, 200, kWidth, kHeight, screen.data(), frame.data());
    const Written full = writtenArea(frame);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, 318);
    EXPECT_EQ(full.bottom, 198);
}

TEST(SpriteClipping, NegativePositionsStartInsideTheSource) {
    const std::vector<unsigned int> source = numberedSource(64, 64);
    std::vector<unsigned int> frame = blankFrame();
    blitScaled(-10, -5, 64, 64, 64, 64, source.data(), frame.data());
    EXPECT_EQ(frame[0], source[5 * 64 + 10]);
    EXPECT_EQ(frame[58 * kWidth + 53], source[63 * 64 + 63]);
    EXPECT_EQ(frame[59 * kWidth + 0], kUntouched);
    EXPECT_EQ(frame[0 * kWidth + 54], kUntouched);

    // Doubled in size (step 128): ten columns off screen are five source columns.
    const std::vector<unsigned int> small = numberedSource(32, 32);
    frame = blankFrame();
    blitScaled(-10, -6, 32, 32, 64, 64, small.data(), frame.data());
    EXPECT_EQ(frame[0], small[3 * 32 + 5]);
    EXPECT_EQ(frame[1], small[3 * 32 + 5]);
    EXPECT_EQ(frame[2], small[3 * 32 + 6]);
    EXPECT_EQ(frame[kWidth], small[3 * 32 + 5]);
    EXPECT_EQ(frame[2 * kWidth], small[4 * 32 + 5]);
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

// ---------------------------------------------------------------------------
// Photo windows

// Photo pixel naming its own place: row in bits 12-23, column in bits 0-11.
std::vector<unsigned int> numberedPhoto(int width, int height) {
    std::vector<unsigned int> photo(static_cast<size_t>(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) photo[r * width + c] = static_cast<unsigned int>(r << 12 | c);
    return photo;
}

unsigned int photoRow(unsigned int pixel) { return pixel >> 12; }
unsigned int photoColumn(unsigned int pixel) { return pixel & 0xFFFu; }

TEST(CopyPhotoWindow, WrapsAroundBothEdgesOfTheFullSizePhoto) {
    const std::vector<unsigned int> photo = numberedPhoto(640, 480);
    std::vector<unsigned int> window(256 * 256, kUntouched);
    copyPhotoWindow(600, 400, photo.data(), window.data());
    EXPECT_EQ(photoColumn(window[0]), 600u);
    EXPECT_EQ(photoColumn(window[39]), 639u);
    EXPECT_EQ(photoColumn(window[40]), 0u);
    EXPECT_EQ(photoColumn(window[255]), 215u);
    EXPECT_EQ(photoRow(window[0]), 400u);
    EXPECT_EQ(photoRow(window[79 * 256]), 479u);
    EXPECT_EQ(photoRow(window[80 * 256]), 0u);
    EXPECT_EQ(photoRow(window[255 * 256 + 255]), 175u);
    EXPECT_EQ(window[255 * 256 + 255], photo[175 * 640 + 215]);
}

TEST(CopyPhotoWindow, AnyPhotoSizeWrapsAroundItsOwnEdges) {
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{100, 50}, Size{1, 1}, Size{37, 300}, Size{700, 20}, Size{640, 480}}) {
        // Exactly the photo's size: the sanitizer build catches any read past it.
        const std::vector<unsigned int> photo = numberedPhoto(size.width, size.height);
        for (const int x : {0, 5, 639, -1, -1000, INT_MAX, INT_MIN}) {
            for (const int y : {0, 7, 479, -3, INT_MAX, INT_MIN}) {
                std::vector<unsigned int> window(256 * 256, kUntouched);
                copyPhotoWindow(x, y, photo.data(), window.data(), size.width, size.height);
                const std::int64_t startColumn =
                    ((std::int64_t{x} % size.width) + size.width) % size.width;
                const std::int64_t startRow =
                    ((std::int64_t{y} % size.height) + size.height) % size.height;
                for (int i = 0; i < 256; i += 15) {
                    for (int j = 0; j < 256; j += 17) {
                        ASSERT_EQ(photoColumn(window[i * 256 + j]), (startColumn + j) % size.width)
                            << size.width << "x" << size.height << " at " << x << "," << y;
                        ASSERT_EQ(photoRow(window[i * 256 + j]), (startRow + i) % size.height)
                            << size.width << "x" << size.height << " at " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST(CopyPhotoWindow, AnEmptyPhotoGivesABlackWindow) {
    std::vector<unsigned int> window(256 * 256, kUntouched);
    copyPhotoWindow(3, 4, nullptr, window.data(), 640, 480);
    EXPECT_EQ(std::count(window.begin(), window.end(), 0u), 256 * 256);
    const unsigned int pixel = 0x123456u;
    std::fill(window.begin(), window.end(), kUntouched);
    copyPhotoWindow(3, 4, &pixel, window.data(), 0, 480);
    EXPECT_EQ(std::count(window.begin(), window.end(), 0u), 256 * 256);
}

// ---------------------------------------------------------------------------
// Random draws and the engine's photographs

TEST(RandomUnit, MapsTheGeneratorOntoZeroToBelowOne) {
    resetRandom();
    EXPECT_EQ(randomUnit(), static_cast<float>(41 / 32767.0));  // the first draw is 41

    // The draw 32767 is the one that gives 0.
    resetRandom();
    int drawsBefore = 0;
    while (nextRandom() != 32767) ++drawsBefore;
    resetRandom();
    for (int i = 0; i < drawsBefore; ++i) nextRandom();
    EXPECT_EQ(randomUnit(), 0.0f);

    const float largest = static_cast<float>(32766 / 32767.0);
    for (int i = 0; i < 100000; ++i) {
        const float u = randomUnit();
        ASSERT_GE(u, 0.0f);
        ASSERT_LE(u, largest);
    }
}

// The five photographs as small pictures of different sizes (one wider than
// 640, one of a single pixel), packed into an archive the engine reads.
class Photos : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/vg-photos-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory_ = pattern;
        const fs::path pictures = directory_ / "resources";
        fs::create_directories(pictures);
        const int sizes[5][2] = {{100, 50}, {640, 480}, {37, 300}, {700, 20}, {1, 1}};
        for (int i = 0; i < 5; ++i)
            writeJpeg(pictures / kPhotoTable[i], sizes[i][0], sizes[i][1]);
        const std::string archive = (directory_ / "photos.pak").string();
        vrlMakePAK((pictures.string() + "/").c_str(), archive.c_str());
        vrlReadPak(archive.c_str());
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    static void writeJpeg(const std::filesystem::path& path, int width, int height) {
        std::vector<unsigned int> pixels(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels[y * width + x] = pixelOf(x * 7 & 255, y * 5 & 255, 90);
        tjhandle handle = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        ASSERT_EQ(tjCompress2(handle, reinterpret_cast<const unsigned char*>(pixels.data()), width,
                              0, height, TJPF_RGBX, &jpeg, &size, TJSAMP_444, 95, 0),
                  0);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg), size);
        tjFree(jpeg);
        tjDestroy(handle);
    }

    static inline std::filesystem::path directory_;
};

TEST_F(Photos, TheTestPicturesAreTheOnesInUse) {
    // Guards the tests below: with placeholders every photo would be 640 x 480.
    EXPECT_EQ(vrlGetTexture("kuva1.jpg")->getWidth(), 100u);
    EXPECT_EQ(vrlGetTexture("kuva25.jpg")->getHeight(), 1u);
}

TEST_F(Photos, TextureCopyWrapsAtTheTexturesOwnSize) {
    const NORVALE_VIRELLO::Texture& photo = *vrlGetTexture("kuva20.jpg");  // 37 x 300
    std::vector<unsigned int> window(256 * 256);
    copyPhotoWindow(630, 470, photo, window.data());
    // 630 % 37 = 1 and 470 % 300 = 170; column 36 wraps to 0 after 35 pixels.
    EXPECT_EQ(window[0], photo.getImgData()[170 * 37 + 1]);
    EXPECT_EQ(window[36], photo.getImgData()[170 * 37 + 0]);
    EXPECT_EQ(window[130 * 256], photo.getImgData()[0 * 37 + 1]);
}

TEST_F(Photos, RandomPhotoPicksByOneDrawModuloFive) {
    resetRandom();
    EXPECT_EQ(randomPhoto(), vrlGetTexture("kuva4.jpg"));  // 41 % 5 = 1
    resetRandom();
    nextRandom();
    const std::uint32_t afterOneDraw = randomState();
    resetRandom();
    randomPhoto();
    EXPECT_EQ(randomState(), afterOneDraw);
}

TEST_F(Photos, GrabRandomWindowDrawsPhotoColumnRowAndWrapsInsideThePhoto) {
    std::vector<unsigned int> window(256 * 256), expected(256 * 256);
    std::vector<int> photosSeen(5, 0);
    for (std::uint32_t start = 1; start < 200; ++start) {
        resetRandom(start * 2654435761u);
        const int photo = nextRandom() % 5;
        const int x = nextRandom() % 640;
        const int y = nextRandom() % 480;
        const std::uint32_t afterThreeDraws = randomState();
        NORVALE_VIRELLO::Texture* texture = vrlGetTexture(kPhotoTable[photo]);
        const int width = static_cast<int>(texture->getWidth());
        const int height = static_cast<int>(texture->getHeight());
        for (int i = 0; i < 256; ++i)
            for (int j = 0; j < 256; ++j)
                expected[i * 256 + j] = texture->getImgData()[(y + i) % height * width + (x + j) % width];
        ++photosSeen[photo];

        resetRandom(start * 2654435761u);
        grabRandomWindow(window.data());
        ASSERT_EQ(window, expected) << "photo " << photo << " at " << x << "," << y;
        ASSERT_EQ(randomState(), afterThreeDraws);
    }
    for (int i = 0; i < 5; ++i) EXPECT_GT(photosSeen[i], 0) << kPhotoTable[i];
}

}  // namespace
