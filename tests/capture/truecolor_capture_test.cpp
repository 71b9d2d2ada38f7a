// The capture tool's truecolor picture, the show's own console drawn without
// a terminal: the cells it renders and the bytes it counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/capture/cell_image.h"
#include "platform/cell_encoder.h"
#include "tools/capture/terminal_picture.h"

namespace {

TEST(TruecolorCapture, CellsFitTheTerminalAndRenderAtTheCellSize) {
    std::vector<std::uint32_t> frame(320 * 200, 0x00204080u);
    // The top half red, the bottom half blue: one row of cells splits them.
    for (int i = 0; i < 320 * 100; ++i) frame[i] = 0x000000FFu;
    TerminalPicture picture(*findDisplay("truecolor"), CellShape::HalfBlock, 80, 50, {8, 16});
    EXPECT_EQ(std::pair(picture.area().columns, picture.area().rows), std::pair(80, 25));
    picture.draw({frame.data(), 320, 200, 1280}, "time = 0");
    const RgbImage image = renderCells(*picture.cells());
    ASSERT_EQ(std::pair(image.width, image.height), std::pair(80 * kCellImageWidth, 25 * kCellImageHeight));
    const std::uint8_t* top = image.pixel(5, 5);
    EXPECT_EQ((std::vector<int>{top[0], top[1], top[2]}), (std::vector<int>{255, 0, 0}));
    const std::uint8_t* bottom = image.pixel(image.width - 1, image.height - 1);
    EXPECT_EQ((std::vector<int>{bottom[0], bottom[1], bottom[2]}), (std::vector<int>{0x80, 0x40, 0x20}));
    // Row 12 of 25 cells holds the edge: its upper half red, lower half blue.
    const std::uint8_t* upper = image.pixel(3, 12 * kCellImageHeight + 2);
    const std::uint8_t* lower = image.pixel(3, 12 * kCellImageHeight + kCellImageHeight - 2);
    EXPECT_EQ(upper[0], 255);
    EXPECT_EQ(lower[0], 0x80);
}

TEST(TruecolorCapture, BytesCountWhatChangedSinceTheFrameBefore) {
    std::vector<std::uint32_t> frame(320 * 200, 0x00102030u);
    TerminalPicture picture(*findDisplay("truecolor"), CellShape::HalfBlock, 80, 50, {8, 16});
    picture.draw({frame.data(), 320, 200, 1280}, "time = 0");
    picture.draw({frame.data(), 320, 200, 1280}, "time = 0");
    frame[0] = 0x00FFFFFFu;
    picture.draw({frame.data(), 320, 200, 1280}, "time = 0");
    ASSERT_EQ(picture.frameByteCounts().size(), 3u);
    const std::vector<long long>& bytes = picture.frameByteCounts();
    const long long first = bytes[0], same = bytes[1], onePixel = bytes[2];
    EXPECT_GT(first, 80 * 25) << "the first frame draws every cell";
    EXPECT_LT(same, 32) << "an unchanged frame sends little more than its brackets";
    EXPECT_GT(onePixel, same);
    EXPECT_LT(onePixel, same + 64) << "one changed cell, not a row";
    const FrameBytes summary = summarizeFrameBytes(picture.frameByteCounts());
    EXPECT_EQ(summary.frames, 3);
    EXPECT_DOUBLE_EQ(summary.mean, static_cast<double>(first + same + onePixel) / 3);
    EXPECT_EQ(summarizeFrameBytes({}).frames, 0);
    EXPECT_EQ(picture.describe(), "truecolor 80 x 25 cells");
    const std::string ansi = CellEncoder::standaloneText(*picture.cells());
    EXPECT_NE(ansi.find("\x1b[38;2;"), std::string::npos);
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '\n'), 25);
}

}  // namespace
