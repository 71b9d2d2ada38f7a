// The capture tool's truecolor, kitty, sixel and pixels pictures: what a
// run over an effect made for the test saves, read back, and its videos.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base.h"
#include "engine/vrl.h"
#include "tests/capture/program_run.h"
#include "tests/support/libsixel_reading.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/pixel_picture.h"
#include "tools/capture/sixel_decoder.h"

namespace {

using NORVALE_VIRELLO::Base;

// Left half a colour the palette has exactly, right half one it has not,
// bottom quarter white; the colours move with the position.
class QuarterScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        const unsigned int shade = static_cast<unsigned int>(time) / 10 % 64;
        for (int i = 0; i < 320 * 200; ++i)
            pixels[i] = i / 320 >= 150 ? 0xFFFFFFu : i % 320 < 160 ? 0x0000FFu : (0x304050u + shade);
    }
};

void registerQuarterShow() { vrlAddEffect(0, 100000, 10, "quarters", new QuarterScene()); }

class FlatScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        std::fill(pixels, pixels + 320 * 200, 0x00336699u);
    }
};

void registerFlatShow() { vrlAddEffect(0, 1000, 10, "flat", new FlatScene()); }

// Runs the capture over a show in a scratch folder's empty show folder.
int runIn(const ScratchFolder& folder, CaptureOptions options, void (*show)() = registerQuarterShow) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(folder / "show" / "resources");
    options.showDir = (folder / "show").string();
    options.quiet = true;
    const int status = runCapture(options, show);
    std::filesystem::current_path(previous);
    return status;
}

// Pixel (x, y) of frame `frame` of a raw RGB video, as 0xBBGGRR.
std::uint32_t videoPixel(const std::string& raw, int width, int height, int frame, int x, int y) {
    const std::size_t at = ((static_cast<std::size_t>(frame) * height + y) * width + x) * 3;
    return static_cast<unsigned char>(raw[at]) | static_cast<unsigned char>(raw[at + 1]) << 8 |
           static_cast<unsigned char>(raw[at + 2]) << 16;
}

TEST(PixelCapture, TruecolorRunsWriteCellPicturesTextAndAVideoOfTheCells) {
    const ScratchFolder folder("capture-truecolor");
    CaptureOptions options;
    options.startMs = 0;
    options.endMs = 100;
    options.fps = 20;  // 0, 50, 100
    options.outDir = (folder / "frames").string();
    options.charPng = options.ansiText = true;
    options.display = "truecolor";
    options.terminalColumns = 33;
    options.terminalRows = 7;
    options.sheetFile = (folder / "sheet.png").string();
    options.videoFile = (folder / "v.mp4").string();
    options.ffmpegProgram = capture_program::keepingEncoder(folder.path()).string();
    ASSERT_EQ(runIn(folder, options, registerFlatShow), 0);
    for (const char* name : {"cells-000050.png", "cells-000100.ans", "../sheet.png"})
        EXPECT_TRUE(std::filesystem::exists(folder / "frames" / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(folder / "frames" / "chars-000050.png"));
    const std::string ansi = readFile(folder / "frames" / "cells-000100.ans");
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '\n'), 7);

    const std::string raw = readFile(folder / "v.mp4");
    ASSERT_EQ(raw.size(), 3u * 640 * 400 * 3) << "three frames of 640 x 400 RGB";
    // 33 x 7 fits 22 x 7 cells; cells of 28 x 56 pixels are the largest of
    // 1 : 2 that fit: 616 x 392, centred. A flat frame stays exactly its
    // colour through the cells; black around them.
    for (int frame = 0; frame < 3; ++frame) {
        for (int y = 4; y < 396; y += 7)
            for (int x = 12; x < 628; x += 11) ASSERT_EQ(videoPixel(raw, 640, 400, frame, x, y), 0x336699u) << x << "," << y;
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{{11, 200}, {628, 200}, {320, 3}, {320, 396}})
            EXPECT_EQ(videoPixel(raw, 640, 400, frame, x, y), 0u) << x << "," << y;
    }
}

TEST(PixelCapture, SavedKittyBytesHoldTheFrameExactly) {
    const ScratchFolder folder("capture-kitty");
    CaptureOptions options;
    options.atMs = {100, 770};
    options.outDir = (folder / "frames").string();
    options.charPng = options.terminalBytes = true;
    options.display = "kitty";
    ASSERT_EQ(runIn(folder, options), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "frames" / "kitty-000770.png"));
    const std::string bytes = readFile(folder / "frames/kitty-000770.bin");
    ASSERT_NE(bytes.find("\x1b_Ga=T,f=24,s=320,v=200"), std::string::npos);
    // 80 x 50 cells of 8 x 16: 80 x 25 cells make 8 : 5.
    const std::optional<RgbImage> picture = pictureFromBytes(PictureReadBack::KittyImage, bytes, {0, 12, 80, 25}, {8, 16});
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::pair(picture->width, picture->height), std::pair(640, 400));
    const auto rgb = [&](int x, int y) {
        const std::uint8_t* p = picture->pixel(x, y);
        return p[0] | p[1] << 8 | p[2] << 16;
    };
    EXPECT_EQ(rgb(10, 10), 0x0000FF) << "red, exactly";
    EXPECT_EQ(rgb(630, 10), 0x304050 + 77 % 64) << "the right half's shade at 770 ms";
    EXPECT_EQ(rgb(320, 395), 0xFFFFFF);
}

TEST(PixelCapture, SavedSixelBytesDecodeAlikeInLibsixelAndOurReader) {
    const ScratchFolder folder("capture-sixel");
    CaptureOptions options;
    options.atMs = {500};
    options.outDir = (folder / "frames").string();
    options.charPng = options.terminalBytes = true;
    options.display = "sixel";
    options.terminalColumns = 100;
    options.terminalRows = 40;
    ASSERT_EQ(runIn(folder, options), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "frames" / "sixel-000500.png"));
    const std::string bytes = readFile(folder / "frames/sixel-000500.bin");
    const std::optional<RgbImage> ours = decodeSixel(bytes);
    ASSERT_TRUE(ours);
    // 100 x 40 cells of 8 x 16, the bottom row left free: 800 x 624 pixels
    // of room; 8 : 5 at a height of whole bands of six.
    EXPECT_EQ(std::pair(ours->width, ours->height), std::pair(796, 498));
    const LibsixelImage theirs = readWithLibsixel(bytes);
    ASSERT_EQ(std::pair(theirs.width, theirs.height), std::pair(ours->width, ours->height));
    int worst = 0;
    for (std::size_t i = 0; i < theirs.pixels.size(); ++i)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(ours->rgb[i * 3 + c] - static_cast<int>(theirs.pixels[i] >> (8 * c) & 0xFF)));
    EXPECT_LE(worst, 1) << "the two readers disagree";
}

// A PNG's width and height, from its header.
std::pair<int, int> pngSize(const std::string& png) {
    const auto word = [&](std::size_t at) {
        return static_cast<unsigned char>(png[at]) << 24 | static_cast<unsigned char>(png[at + 1]) << 16 |
               static_cast<unsigned char>(png[at + 2]) << 8 | static_cast<unsigned char>(png[at + 3]);
    };
    return png.size() < 24 ? std::pair(0, 0) : std::pair(word(16), word(20));
}

// The sixel image of the largest cells: wider once than the reader took.
TEST(PixelCapture, TheSixelImageOfTheLargestCellsIsReadBack) {
    const ScratchFolder folder("capture-sixel-wide");
    CaptureOptions options;
    options.atMs = {500};
    options.outDir = (folder / "frames").string();
    options.charPng = true;
    options.display = "sixel";
    options.cellWidth = options.cellHeight = 64;
    ASSERT_EQ(runIn(folder, options), 0);
    EXPECT_EQ(pngSize(readFile(folder / "frames/sixel-000500.png")), std::pair(4089, 2556));
}

TEST(PixelCapture, AVideoOfPixelsIsTheFrameEnlargedByAWholeFactorAndLetterboxed) {
    const ScratchFolder folder("capture-pixels-video");
    CaptureOptions options;
    options.startMs = 0;
    options.endMs = 0;
    options.display = "pixels";
    options.videoFile = (folder / "v.mp4").string();
    options.videoWidth = 1920;
    options.videoHeight = 1080;
    options.ffmpegProgram = capture_program::keepingEncoder(folder.path()).string();
    ASSERT_EQ(runIn(folder, options), 0);
    const std::string raw = readFile(folder / "v.mp4");
    ASSERT_EQ(raw.size(), 1920u * 1080 * 3);
    const auto rgb = [&](int x, int y) { return videoPixel(raw, 1920, 1080, 0, x, y); };
    // Five times over: 1600 x 1000 from (160, 40), black around it; crisp:
    // the left half's last column of pixels ends exactly at 160 + 800.
    for (const auto& [x, y, colour] : {std::tuple{159, 540, 0u}, {1760, 540, 0u}, {960, 39, 0u}, {960, 1040, 0u},
                                       {160, 40, 0x0000FFu}, {1759, 40, 0x304050u}, {960, 1039, 0xFFFFFFu},
                                       {959, 300, 0x0000FFu}, {960, 300, 0x304050u}})
        EXPECT_EQ(rgb(x, y), colour) << x << "," << y;
}

}  // namespace
