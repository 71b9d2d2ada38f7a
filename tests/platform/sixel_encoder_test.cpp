#include "platform/sixel_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/sixel_console.h"
#include "tests/support/libsixel_reading.h"
#include "tests/support/test_frame.h"

namespace {

int channelError(std::uint32_t a, std::uint32_t b) {
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
    return worst;
}

TEST(SixelEncoder, DecodesToTheScaledPictureWithinThePalettesError) {
    const TestPicture picture = seededTestPicture(6, 64, 40);
    for (const SixelPalette palette : {paletteForRegisters(256), paletteForRegisters(16)}) {
        SixelEncoder encoder(palette);
        // Enlarged, the picture's own width, shrunk, and an uneven width.
        for (const auto& [width, height] : std::vector<std::pair<int, int>>{{128, 84}, {64, 36}, {33, 18}, {67, 42}}) {
            const std::string_view bytes = encoder.encodeFrame(picture.view(), width, height);
            ASSERT_TRUE(bytes.starts_with("\x1bP0;1q\"1;1;" + std::to_string(width) + ";" + std::to_string(height)));
            ASSERT_TRUE(bytes.ends_with("\x1b\\"));
            const LibsixelImage decoded = readWithLibsixel(bytes);
            ASSERT_EQ(decoded.width, width);
            ASSERT_EQ(decoded.height, height);
            // Largest step between two levels of a channel, halved, plus
            // the rounding of the colours to per cent.
            const int allowed = 255 / (std::min({palette.red, palette.green, palette.blue}) - 1) / 2 + 2;
            int worstFromPalette = 0;
            int worstFromFrame = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t source = picture.at(x * picture.width / width, y * picture.height / height);
                    const std::uint32_t shown = decoded.pixels[static_cast<std::size_t>(y) * width + x];
                    worstFromPalette = std::max(worstFromPalette, channelError(shown, palette.color(palette.nearest(source))));
                    worstFromFrame = std::max(worstFromFrame, channelError(shown, source));
                }
            }
            EXPECT_LE(worstFromPalette, 2) << width << " x " << height << ": not the nearest palette colour";
            EXPECT_LE(worstFromFrame, allowed) << width << " x " << height;
        }
    }
}

TEST(SixelEncoder, TheSamePictureGivesTheSameBytesAndFlatAreasRunLengthCoded) {
    const std::vector<std::uint32_t> pixels(20 * 10, 0x336699);
    const PixelView flat{pixels.data(), 20, 10, 20 * 4};
    SixelEncoder encoder(paletteForRegisters(256));
    const std::string first(encoder.encodeFrame(flat, 640, 402));
    EXPECT_EQ(std::string(encoder.encodeFrame(flat, 640, 402)), first);
    // One colour: its definition and 67 bands of one run each.
    EXPECT_LT(first.size(), 1000u);
    EXPECT_NE(first.find("!640~"), std::string::npos);
    EXPECT_NE(std::string(encoder.encodeFrame(flat, 4, 6)).find("!4~"), std::string::npos) << "shorter counted";
    EXPECT_EQ(encoder.encodeFrame({pixels.data(), 0, 10, 0}, 4, 6), "") << "nothing to draw";
    const LibsixelImage decoded = readWithLibsixel(first);
    ASSERT_EQ(decoded.pixels.size(), 640u * 402);
    EXPECT_EQ(decoded.pixels.front(), decoded.pixels.back());
}

TEST(SixelEncoder, PalettesFitTheRegisters) {
    // Unknown (0) counts as 256; more than 256 still gets the 6 x 7 x 6 cube.
    for (const auto& [registers, size] : std::vector<std::pair<int, int>>{{0, 252}, {4096, 252}, {216, 216}, {16, 12}, {2, 8}})
        EXPECT_EQ(paletteForRegisters(registers).size(), size) << registers;
    for (int registers : {8, 16, 64, 100, 256}) {
        const SixelPalette palette = paletteForRegisters(registers);
        // Black and white are always there, and each entry maps to itself.
        EXPECT_EQ(palette.color(palette.nearest(0)), 0u);
        EXPECT_EQ(palette.color(palette.nearest(0xFFFFFF)), 0xFFFFFFu);
        for (int entry = 0; entry < palette.size(); ++entry)
            ASSERT_EQ(palette.nearest(palette.color(entry)), entry) << registers;
    }
}

TEST(SixelPlacement, FillsTheWindowAt8To5AboveTheBottomRow) {
    // (The sixel console's test has the plain case: 80 x 50 cells of 10 x 20.)
    // The terminal's largest image bounds it; so does a wide window's height.
    const SixelPlacement limited = placeSixelImage(300, 100, {3000, 2000}, {1000, 1000});
    EXPECT_LE(limited.width, 1000);
    EXPECT_NEAR(static_cast<double>(limited.width) / limited.height, 1.6, 0.02);
    const SixelPlacement wide = placeSixelImage(200, 30, {1800, 510}, {});
    EXPECT_LE(wide.height, 29 * 17);
    EXPECT_GT(wide.column, 0);
    // Nothing known: cells of 10 x 20 are guessed. Nothing usable: still
    // one band of six rows, and never a place off the window.
    const SixelPlacement guessed = placeSixelImage(80, 50, {}, {});
    EXPECT_EQ(guessed.width, 796);
    EXPECT_EQ(guessed.height, 498);
    const SixelPlacement tiny = placeSixelImage(1, 1, {3, 2}, {});
    EXPECT_EQ(tiny.height, 6);
    EXPECT_EQ(tiny.column, 0);
    EXPECT_EQ(tiny.row, 0);
}

}  // namespace
