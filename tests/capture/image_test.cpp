#include "tools/capture/image.h"

#include <gtest/gtest.h>
#include <png.h>

#include <vector>

#include "tests/support/scratch_folder.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/png_writer.h"
#include "tools/capture/text_label.h"

namespace {

TEST(CaptureImage, FrameBufferChannelsAndLuminance) {
    const std::vector<std::uint32_t> pixels = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    const RgbImage image = imageFromFrameBuffer(pixels.data(), 2, 2);
    EXPECT_EQ(image.rgb, (std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0}));
    // libcaca's exports are alpha, red, green, blue bytes.
    const std::uint8_t argb[] = {0xFF, 10, 20, 30};
    EXPECT_EQ(imageFromArgbBytes(argb, 1, 1).rgb, (std::vector<std::uint8_t>{10, 20, 30}));
    // Bits 24-31 are not shown, so the last pixel is black.
    EXPECT_DOUBLE_EQ(meanLuminance(pixels.data(), 4), (0.299 + 0.587 + 0.114) * 255 / 4);
    EXPECT_DOUBLE_EQ(meanLuminance(image), meanLuminance(pixels.data(), 4));
    EXPECT_DOUBLE_EQ(meanLuminance(pixels.data(), 1), 0.299 * 255) << "red is the low byte";

    const std::vector<std::uint32_t> black(320 * 200, 0u);
    EXPECT_EQ(meanLuminance(black.data(), 320 * 200), 0.0);
    const std::vector<std::uint32_t> white(320 * 200, 0x00FFFFFFu);
    EXPECT_DOUBLE_EQ(meanLuminance(white.data(), 320 * 200), 255.0);
}

TEST(CaptureImage, AreaResizeAveragesExactlyAndPastingCutsAtTheEdges) {
    RgbImage stripes(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) stripes.pixel(x, y)[0] = x % 2 ? 200 : 100;
    const RgbImage half = resizeArea(stripes, 2, 1);
    EXPECT_EQ(half.pixel(0, 0)[0], 150);
    EXPECT_EQ(half.pixel(1, 0)[0], 150);

    // Three pixels onto two: the middle one is shared half and half.
    RgbImage three(3, 1);
    three.pixel(0, 0)[1] = 0;
    three.pixel(1, 0)[1] = 90;
    three.pixel(2, 0)[1] = 180;
    const RgbImage two = resizeArea(three, 2, 1);
    EXPECT_EQ(two.pixel(0, 0)[1], 30);   // (0 * 2 + 90 * 1) / 3
    EXPECT_EQ(two.pixel(1, 0)[1], 150);  // (90 * 1 + 180 * 2) / 3
    // Rounded to the nearest, not down: resized pictures do not darken.
    three.pixel(2, 0)[2] = 1;
    EXPECT_EQ(resizeArea(three, 1, 1).pixel(0, 0)[2], 0);  // 1/3
    three.pixel(1, 0)[2] = 1;
    EXPECT_EQ(resizeArea(three, 1, 1).pixel(0, 0)[2], 1);  // 2/3

    RgbImage flat(560, 750);
    fill(flat, 10, 20, 30);
    const RgbImage wide = resizeArea(flat, 640, 400);  // up across, down along
    EXPECT_DOUBLE_EQ(meanLuminance(wide), meanLuminance(flat));

    // Wider than its target: cut at the edge, not wrapped onto the next row.
    RgbImage target(2, 2), row(3, 1);
    fill(row, 9, 9, 9);
    blit(target, row, 0, 0);
    EXPECT_EQ(target.rgb, (std::vector<std::uint8_t>{9, 9, 9, 9, 9, 9, 0, 0, 0, 0, 0, 0}));
}

RgbImage readPng(const std::string& path) {
    png_image info{};
    info.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&info, path.c_str())) return {};
    info.format = PNG_FORMAT_RGB;
    RgbImage image(static_cast<int>(info.width), static_cast<int>(info.height));
    if (!png_image_finish_read(&info, nullptr, image.rgb.data(), 0, nullptr)) return {};
    return image;
}

TEST(CapturePng, WritesWhatReadsBackAndReportsFailures) {
    RgbImage image(5, 3);
    for (std::size_t i = 0; i < image.rgb.size(); ++i)
        image.rgb[i] = static_cast<std::uint8_t>(i * 17);
    const ScratchFolder folder("png");
    const std::string path = (folder / "roundtrip.png").string();
    ASSERT_EQ(writePng(path, image), "");
    const RgbImage back = readPng(path);
    EXPECT_EQ(std::pair(back.width, back.height), std::pair(5, 3));
    EXPECT_EQ(back.rgb, image.rgb);

    EXPECT_NE(writePng("/nonexistent-folder-vg/x.png", image), "");
    EXPECT_NE(writePng(path, RgbImage()), "");
}

TEST(CaptureSheet, PicksTheFirstFrameAtOrAfterEachMark) {
    std::vector<int> sixty;
    for (int i = 0; i <= 900; ++i) sixty.push_back(1000 + i * 1000 / 60);
    EXPECT_EQ(selectSheetFrames(sixty, 5000), (std::vector<std::size_t>{0, 300, 600, 900}));
    // Marks 0, 100, 200, 300, 400: the frame at 330 stands for both 200 and 300.
    EXPECT_EQ(selectSheetFrames({0, 50, 110, 330, 400}, 100),
              (std::vector<std::size_t>{0, 2, 3, 4}));
    EXPECT_TRUE(selectSheetFrames({}, 100).empty());
}

TEST(CaptureSheet, LabelsShowMinutesSecondsAndScene) {
    EXPECT_EQ(positionLabel(83456, "Kuvatus2"), "1:23.456  Kuvatus2");
    EXPECT_EQ(positionLabel(5000, ""), "0:05.000");
    EXPECT_GT(labelHeight(), 0);
    const RgbImage label = renderLabel("0:05.000");
    EXPECT_EQ(label.height, labelHeight());
    EXPECT_GT(meanLuminance(label), 0.0);  // the text is drawn
}

TEST(CaptureSheet, CellsFillRowsLeftToRight) {
    ContactSheet sheet(2, 32);  // pictures of 32 x 20
    RgbImage red(320, 200);
    fill(red, 255, 0, 0);
    RgbImage blue(560, 750);
    fill(blue, 0, 0, 255);
    for (int i = 0; i < 3; ++i) sheet.add(red, blue, "x");
    const RgbImage composed = sheet.compose();
    const int margin = 8;
    EXPECT_EQ(composed.width, margin + 2 * (sheet.cellWidth() + margin));
    EXPECT_EQ(composed.height, margin + 2 * (sheet.cellHeight() + margin));
    const int top = sheet.cellHeight() - 20;  // pictures sit under the label
    // Third cell: second row, first column; its frame picture then characters.
    const int x = margin;
    const int y = margin + sheet.cellHeight() + margin + top;
    EXPECT_EQ(composed.pixel(x + 5, y + 5)[0], 255);
    EXPECT_EQ(composed.pixel(x + 32 + 4 + 5, y + 5)[2], 255);
    // The fourth slot stays background.
    EXPECT_EQ(composed.pixel(x + sheet.cellWidth() + margin + 5, y + 5)[0], 24);
}

}  // namespace
