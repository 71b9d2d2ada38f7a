// The glyph cache against the font renderer it replaces: the same picture,
// byte for byte, at the font's size and at the video's cell size.
#include "tools/capture/glyph_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/capture/character_picture.h"
#include "tools/capture/frame_outputs.h"
#include "tools/capture/picture_figures.h"

namespace {

// Frames that make the dither use many characters and colour pairs.
std::vector<std::vector<std::uint32_t>> sampleFrames() {
    std::vector<std::vector<std::uint32_t>> frames;
    std::vector<std::uint32_t> frame(kFrameWidth * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            frame[y * kFrameWidth + x] = static_cast<std::uint32_t>(x * 255 / 319) |
                                         static_cast<std::uint32_t>(y * 255 / 199) << 8 |
                                         static_cast<std::uint32_t>((x + y) & 0xFF) << 16;
    frames.push_back(frame);
    std::uint32_t state = 12345;
    for (std::uint32_t& pixel : frame) {
        state = state * 1664525u + 1013904223u;
        pixel = state >> 8;
    }
    frames.push_back(frame);
    return frames;
}

TEST(GlyphCache, DrawsTheFontRenderersBytes) {
    CharacterPicture picture;
    GlyphCache fontSize = picture.makeGlyphCache(picture.fontWidth(), picture.fontHeight());
    GlyphCache videoSize = picture.makeGlyphCache(kVideoWidth / kCharColumns,
                                                  kVideoHeight / kCharRows);
    for (const std::vector<std::uint32_t>& frame : sampleFrames()) {
        picture.draw(frame.data());
        const RgbImage rendered = picture.render();
        const std::vector<CharacterCell> cells = picture.cells();
        ASSERT_TRUE(drawableCellByCell(cells));
        const RgbImage cached = fontSize.draw(cells, kCharColumns, kCharRows);
        ASSERT_EQ(cached.width, rendered.width);
        ASSERT_EQ(cached.height, rendered.height);
        EXPECT_EQ(cached.rgb, rendered.rgb);
        // The video's frame as the old way made it: the whole picture resampled.
        const RgbImage video = videoSize.draw(cells, kCharColumns, kCharRows);
        EXPECT_EQ(video.rgb, resizeArea(rendered, kVideoWidth, kVideoHeight).rgb);

        // The statistics' figures from the cell lights, to the last bit.
        const std::vector<double> measured = characterCellLuminance(rendered);
        const int cellPixels = fontSize.cellWidth() * fontSize.cellHeight();
        std::uint64_t thousandths = 0;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const CellLight& light = fontSize.light(cells[i]);
            EXPECT_EQ(light.luminance / cellPixels, measured[i]) << "cell " << i;
            thousandths += light.luminanceThousandths;
        }
        EXPECT_EQ(static_cast<double>(thousandths) / 1000.0 /
                      (static_cast<double>(cellPixels) * static_cast<double>(cells.size())),
                  meanLuminance(rendered));
    }
    // Noise alone needs many colour pairs; they are made once each.
    EXPECT_GT(fontSize.size(), 16u);
    EXPECT_EQ(fontSize.size(), videoSize.size());
}

TEST(GlyphCache, WideCharactersGoToTheFullRenderer) {
    std::vector<CharacterCell> cells(3, CharacterCell{'a', 0});
    EXPECT_TRUE(drawableCellByCell(cells));
    cells[1].character = 0x4E00;  // a CJK ideograph takes two cells
    EXPECT_FALSE(drawableCellByCell(cells));
}

}  // namespace
