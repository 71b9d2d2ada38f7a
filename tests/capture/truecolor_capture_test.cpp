// The capture tool's truecolor picture: its options, the cells it renders
// and the bytes it counts, and a run over effects made for the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/base.h"
#include "engine/vrl.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/cell_image.h"
#include "tools/capture/options.h"
#include "tools/capture/truecolor_picture.h"

namespace {

using NORVALE_VIRELLO::Base;

TEST(TruecolorCaptureOptions, PictureShapeAndTerminalLandInTheOptions) {
    const ParseResult defaults = parseOptions({"--frames"});
    ASSERT_TRUE(defaults.ok()) << defaults.error;
    EXPECT_EQ(defaults.options.display, CaptureDisplay::Caca);
    EXPECT_EQ(defaults.options.cells, CellShape::HalfBlock);
    EXPECT_EQ(defaults.options.terminalColumns, 80);
    EXPECT_EQ(defaults.options.terminalRows, 50);

    const ParseResult r =
        parseOptions({"--chars", "--display", "truecolor", "--cells=quadrant", "--terminal", "160x50"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.display, CaptureDisplay::Truecolor);
    EXPECT_EQ(r.options.cells, CellShape::Quadrant);
    EXPECT_EQ(r.options.terminalColumns, 160);
    EXPECT_EQ(r.options.terminalRows, 50);
    EXPECT_EQ(parseOptions({"--chars", "--display=truecolor", "--display=caca"}).options.display, CaptureDisplay::Caca);
}

TEST(TruecolorCaptureOptions, BadValuesAndCombinationsAreRefused) {
    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {{"--chars", "--display", "vga"}, "caca, truecolor, kitty, sixel or pixels, not \"vga\""},
        {{"--chars", "--cells", "braille"}, "half, quadrant or sextant"},
        {{"--chars", "--terminal", "80"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "0x50"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "80x1001"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "80x-5"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "x"}, "COLUMNSxROWS"},
        {{"--utf8", "--display", "truecolor"}, "use --ansi"},
    };
    for (const Case& c : cases) {
        const ParseResult r = parseOptions(c.args);
        EXPECT_FALSE(r.ok()) << c.args.back();
        EXPECT_NE(r.error.find(c.mentions), std::string::npos)
            << "error \"" << r.error << "\" should mention \"" << c.mentions << "\"";
    }
}

TEST(TruecolorCapture, FrameBytesSummaryUsesTheNearestRank) {
    std::vector<long long> bytes;
    for (int i = 100; i >= 1; --i) bytes.push_back(i * 10);
    const FrameBytes summary = summarizeFrameBytes(bytes);
    EXPECT_EQ(summary.median, 500);
    EXPECT_EQ(summary.p99, 990);
    EXPECT_DOUBLE_EQ(summary.mean, 505.0);
    EXPECT_EQ(summary.frames, 100);
    const FrameBytes none = summarizeFrameBytes({});
    EXPECT_EQ(none.frames, 0);
    EXPECT_EQ(none.median, 0);
}

TEST(TruecolorCapture, CellsFitTheTerminalAndRenderAtTheCellSize) {
    std::vector<std::uint32_t> frame(320 * 200, 0x00204080u);
    // The top half red, the bottom half blue: one row of cells splits them.
    for (int i = 0; i < 320 * 100; ++i) frame[i] = 0x000000FFu;
    TruecolorPicture picture(CellShape::HalfBlock, 80, 50);
    EXPECT_EQ(picture.area().columns, 80);
    EXPECT_EQ(picture.area().rows, 25);
    picture.draw(frame.data(), "time = 0");
    const RgbImage image = picture.render();
    ASSERT_EQ(image.width, 80 * kCellImageWidth);
    ASSERT_EQ(image.height, 25 * kCellImageHeight);
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
    TruecolorPicture picture(CellShape::HalfBlock, 80, 50);
    picture.draw(frame.data(), "time = 0");
    picture.draw(frame.data(), "time = 0");
    frame[0] = 0x00FFFFFFu;
    picture.draw(frame.data(), "time = 0");
    ASSERT_EQ(picture.frameBytes().size(), 3u);
    const long long first = picture.frameBytes()[0];
    const long long same = picture.frameBytes()[1];
    const long long onePixel = picture.frameBytes()[2];
    EXPECT_GT(first, 80 * 25) << "the first frame draws every cell";
    EXPECT_LT(same, 32) << "an unchanged frame sends little more than its brackets";
    EXPECT_GT(onePixel, same);
    EXPECT_LT(onePixel, same + 64) << "one changed cell, not a row";
    const std::string ansi = picture.ansiText();
    EXPECT_NE(ansi.find("\x1b[38;2;"), std::string::npos);
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '\n'), 25);
}

class StripeScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        for (int i = 0; i < 320 * 200; ++i) pixels[i] = (i / 320) % 8 < 4 ? 0x0000C0FFu : 0x00400000u;
    }
};

void registerStripeShow() { vrlAddEffect(0, 1000, 10, "stripes", new StripeScene()); }

class FlatScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        std::fill(pixels, pixels + 320 * 200, 0x00336699u);
    }
};

void registerFlatShow() { vrlAddEffect(0, 1000, 10, "flat", new FlatScene()); }

TEST(TruecolorCapture, ARunWritesCellPicturesAndCountsBytes) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("vg-capture-truecolor-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "show" / "resources");
    CaptureOptions options;
    options.showDir = (folder / "show").string();
    options.atMs = {100, 500};
    options.outDir = (folder / "frames").string();
    options.charPng = options.ansiText = true;
    options.display = CaptureDisplay::Truecolor;
    options.terminalColumns = 40;
    options.terminalRows = 20;
    options.sheetFile = (folder / "sheet.png").string();
    options.quiet = true;
    const int status = runCapture(options, registerStripeShow);
    std::filesystem::current_path(previous);
    ASSERT_EQ(status, 0);
    for (const char* name : {"cells-000100.png", "cells-000500.ans"})
        EXPECT_TRUE(std::filesystem::exists(folder / "frames" / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(folder / "frames" / "chars-000100.png"));
    EXPECT_TRUE(std::filesystem::exists(folder / "sheet.png"));
    // 40 x 20 fits 40 x 13 cells (16 columns to 5 rows, rounded): 13 lines.
    std::ifstream text(folder / "frames" / "cells-000500.ans");
    const std::string ansi{std::istreambuf_iterator<char>(text), {}};
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '\n'), 13);
    std::filesystem::remove_all(folder);
}

}  // namespace

namespace {

TEST(TruecolorCapture, AVideoShowsTheCellsAtTheVideoSize) {
    const std::filesystem::path previous = std::filesystem::current_path();
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) /
                                         ("vg-capture-truecolor-video-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "show" / "resources");
    // A stand-in encoder that keeps the raw frames it is given.
    const std::filesystem::path encoder = folder / "keeping-ffmpeg";
    std::ofstream(encoder) << "#!/bin/sh\nfor last; do :; done\ncat > \"$last\"\n";
    std::filesystem::permissions(encoder, std::filesystem::perms::owner_all);
    CaptureOptions options;
    options.showDir = (folder / "show").string();
    options.startMs = 0;
    options.endMs = 100;
    options.fps = 20;  // 0, 50, 100
    options.display = CaptureDisplay::Truecolor;
    options.terminalColumns = 33;
    options.terminalRows = 7;
    options.videoFile = (folder / "v.mp4").string();
    options.ffmpegProgram = encoder.string();
    options.quiet = true;
    const int status = runCapture(options, registerFlatShow);
    std::filesystem::current_path(previous);
    ASSERT_EQ(status, 0);
    std::ifstream video(folder / "v.mp4", std::ios::binary);
    const std::string raw{std::istreambuf_iterator<char>(video), {}};
    ASSERT_EQ(raw.size(), 3u * 640 * 400 * 3) << "three frames of 640 x 400 RGB";
    // 33 x 7 fits 22 x 7 cells; cells of 28 x 56 pixels are the largest of
    // 1 : 2 that fit: 616 x 392, centred. A flat frame stays exactly its
    // colour through the cells; black around them.
    const auto rgbAt = [&](std::size_t frame, int x, int y) {
        const std::size_t i = ((frame * 400 + static_cast<std::size_t>(y)) * 640 + static_cast<std::size_t>(x)) * 3;
        return std::vector<int>{static_cast<unsigned char>(raw[i]), static_cast<unsigned char>(raw[i + 1]),
                                static_cast<unsigned char>(raw[i + 2])};
    };
    for (std::size_t frame = 0; frame < 3; ++frame) {
        for (int y = 4; y < 396; y += 7)
            for (int x = 12; x < 628; x += 11) ASSERT_EQ(rgbAt(frame, x, y), (std::vector<int>{0x99, 0x66, 0x33})) << x << "," << y;
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{{11, 200}, {628, 200}, {320, 3}, {320, 396}})
            EXPECT_EQ(rgbAt(frame, x, y), (std::vector<int>{0, 0, 0})) << x << "," << y;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
