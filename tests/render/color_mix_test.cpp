#include "render/pixel_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "render/plain_twins.h"
#include "tests/render/pixel_test_support.h"

namespace {

using namespace pixel_test;

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

TEST(Saturate, PackedAndScalarAgreeOnEveryBytePairInEveryPosition) {
    if (!kSimdBuild) GTEST_SKIP() << "this build has only the scalar path";
    // Bytes saturate on their own, so every pair of byte values in every
    // byte position is every input.
    for (unsigned int a = 0; a < 256; ++a) {
        for (unsigned int b = 0; b < 256; ++b) {
            const unsigned int left = a | b << 8 | (a ^ 0x5Au) << 16 | (255 - a) << 24;
            const unsigned int right = b | a << 8 | (b ^ 0xA5u) << 16 | (255 - b) << 24;
            ASSERT_EQ(addSaturate(left, right), addSaturateScalar(left, right)) << a << " " << b;
            ASSERT_EQ(subSaturate(left, right), subSaturateScalar(left, right)) << a << " " << b;
        }
    }
}

// ---------------------------------------------------------------------------
// Colour mixes

TEST(BlendColor, PackedChannelsMatchAChannelByChannelMix) {
    std::mt19937 generator(11);
    for (int w = 0; w <= 255; ++w) {
        for (int i = 0; i < 200; ++i) {
            const unsigned int a = generator();
            const unsigned int b = generator();
            const unsigned int mixed = blendColor(a, b, w);
            for (int c = 0; c < 3; ++c) {
                const unsigned int expected = (channel(a, c) * w + channel(b, c) * (255 - w)) / 256;
                ASSERT_EQ(channel(mixed, c), expected) << "w " << w << " channel " << c;
            }
            ASSERT_EQ(channel(mixed, 3), 0u);
        }
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

// The ramp written the plain way: pick the half by level, then mix.
unsigned int referenceBlend3(unsigned int c1, unsigned int c2, unsigned int c3, int level) {
    const std::int64_t twice = 2 * std::int64_t{level};
    if (level <= 127) return wrappedScale(c1, 255 - twice) + wrappedScale(c2, twice);
    return wrappedScale(c2, 255 - (twice - 254)) + wrappedScale(c3, twice - 254);
}

TEST(Blend3, EveryLevelAroundTheRampPicksTheRightHalf) {
    // Both halves are always computed and one is selected, so every level
    // on both sides of 127/128, past 254 and below 0 must still give the
    // half the level asks for. Colours with full, empty and mixed channels
    // (top byte included, which the mix drops). Outside the ramp the
    // weights wrap around: pure red at 255 becomes red plus blue.
    EXPECT_EQ(blend3(0, 0x000000FFu, 0, 255), 0x00FF00FFu);
    const unsigned int colours[][3] = {{0x00000000u, 0x00FFFFFFu, 0x00FFFFFFu},
                                       {0x00000000u, 0x00804020u, 0x00FFFFFFu},
                                       {0xFF123456u, 0x80FEDCBAu, 0x00000000u},
                                       {0x00FF0000u, 0x0000FF00u, 0x000000FFu}};
    std::vector<int> levels = {100000, INT_MAX, INT_MIN};
    for (int level = -300; level <= 600; ++level) levels.push_back(level);
    for (const auto& c : colours)
        for (int level : levels)
            ASSERT_EQ(blend3(c[0], c[1], c[2], level), referenceBlend3(c[0], c[1], c[2], level))
                << "level " << level << " colours " << std::hex << c[0] << " " << c[1] << " " << c[2];
}

}  // namespace
