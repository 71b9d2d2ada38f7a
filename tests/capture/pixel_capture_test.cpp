// The capture tool's kitty, sixel and pixels pictures and its video size:
// the options, what a frame's saved bytes show when read back, and runs
// over an effect made for the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/base.h"
#include "engine/vrl.h"
#include "tests/support/libsixel_reading.h"
#include "tests/support/scratch_folder.h"
#include "tools/capture/capture_run.h"
#include "tools/capture/options.h"
#include "tools/capture/pixel_picture.h"
#include "tools/capture/sixel_decoder.h"

namespace {

using NORVALE_VIRELLO::Base;

TEST(PixelCaptureOptions, DisplaysVideoSizeAndBytesLandInTheOptions) {
    EXPECT_EQ(parseOptions({"--sheet=s.png", "--display", "kitty"}).options.display, CaptureDisplay::Kitty);
    EXPECT_EQ(parseOptions({"--sheet=s.png", "--display", "sixel"}).options.display, CaptureDisplay::Sixel);
    EXPECT_EQ(parseOptions({"--sheet=s.png", "--display", "pixels"}).options.display, CaptureDisplay::Pixels);
    const ParseResult sized = parseOptions({"--video=v.mp4", "--video-size", "1920x1080"});
    ASSERT_TRUE(sized.ok()) << sized.error;
    EXPECT_EQ(sized.options.videoWidth, 1920);
    EXPECT_EQ(sized.options.videoHeight, 1080);
    const ParseResult defaults = parseOptions({"--video=v.mp4"});
    EXPECT_EQ(defaults.options.videoWidth, 640);
    EXPECT_EQ(defaults.options.videoHeight, 400);
    const ParseResult bytes = parseOptions({"--display=sixel", "--bytes"});
    ASSERT_TRUE(bytes.ok()) << "--bytes alone is something to do: " << bytes.error;
    EXPECT_TRUE(bytes.options.terminalBytes);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--video=v.mp4", "--video-size", "1920"}, "WIDTHxHEIGHT"},
        {{"--video=v.mp4", "--video-size", "32x32"}, "WIDTHxHEIGHT"},
        {{"--video=v.mp4", "--video-size", "8000x1080"}, "WIDTHxHEIGHT"},
        {{"--video=v.mp4", "--video-size", "641x400"}, "even numbers"},
        {{"--bytes"}, "choose one with --display"},
        {{"--bytes", "--display=pixels"}, "choose one with --display"},
        {{"--ansi", "--display=kitty"}, "try --bytes"},
        {{"--utf8", "--display=sixel"}, "use --display caca"},
    };
    for (const auto& [args, message] : refused) {
        const ParseResult r = parseOptions(args);
        EXPECT_NE(r.error.find(message), std::string::npos) << args.back() << ": " << r.error;
    }
}

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

// Runs the capture over the quarters in a scratch folder's empty show.
int runIn(const ScratchFolder& folder, CaptureOptions options) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::create_directories(folder / "show" / "resources");
    options.showDir = (folder / "show").string();
    options.quiet = true;
    const int status = runCapture(options, registerQuarterShow);
    std::filesystem::current_path(previous);
    return status;
}

TEST(PixelCapture, SavedKittyBytesHoldTheFrameExactly) {
    const ScratchFolder folder("capture-kitty");
    CaptureOptions options;
    options.atMs = {100, 770};
    options.outDir = (folder / "frames").string();
    options.charPng = options.terminalBytes = true;
    options.display = CaptureDisplay::Kitty;
    ASSERT_EQ(runIn(folder, options), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "frames" / "kitty-000770.png"));
    const std::string bytes = readFile(folder / "frames/kitty-000770.bin");
    ASSERT_NE(bytes.find("\x1b_Ga=T,f=24,s=320,v=200"), std::string::npos);
    // 80 x 50 cells of 8 x 16: 80 x 25 cells make 8 : 5.
    const std::optional<RgbImage> picture = pictureFromBytes(PixelPictureKind::Kitty, bytes, {0, 12, 80, 25}, {8, 16});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 640);
    EXPECT_EQ(picture->height, 400);
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
    options.display = CaptureDisplay::Sixel;
    options.terminalColumns = 100;
    options.terminalRows = 40;
    ASSERT_EQ(runIn(folder, options), 0);
    EXPECT_TRUE(std::filesystem::exists(folder / "frames" / "sixel-000500.png"));
    const std::string bytes = readFile(folder / "frames/sixel-000500.bin");
    const std::optional<RgbImage> ours = decodeSixel(bytes);
    ASSERT_TRUE(ours);
    // 100 x 40 cells of 8 x 16, the bottom row left free: 800 x 624 pixels
    // of room; 8 : 5 at a height of whole bands of six.
    EXPECT_EQ(ours->width, 796);
    EXPECT_EQ(ours->height, 498);
    const LibsixelImage theirs = readWithLibsixel(bytes);
    ASSERT_EQ(theirs.width, ours->width);
    ASSERT_EQ(theirs.height, ours->height);
    int worst = 0;
    for (std::size_t i = 0; i < theirs.pixels.size(); ++i)
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(ours->rgb[i * 3 + c] - static_cast<int>(theirs.pixels[i] >> (8 * c) & 0xFF)));
    EXPECT_LE(worst, 1) << "the two readers disagree";
}

TEST(PixelCapture, AVideoOfPixelsIsTheFrameEnlargedByAWholeFactorAndLetterboxed) {
    const ScratchFolder folder("capture-pixels-video");
    const std::filesystem::path encoder = folder / "keeping-ffmpeg";
    std::ofstream(encoder) << "#!/bin/sh\nfor last; do :; done\ncat > \"$last\"\n";
    std::filesystem::permissions(encoder, std::filesystem::perms::owner_all);
    CaptureOptions options;
    options.startMs = 0;
    options.endMs = 0;
    options.display = CaptureDisplay::Pixels;
    options.videoFile = (folder / "v.mp4").string();
    options.videoWidth = 1920;
    options.videoHeight = 1080;
    options.ffmpegProgram = encoder.string();
    ASSERT_EQ(runIn(folder, options), 0);
    const std::string raw = readFile(folder / "v.mp4");
    ASSERT_EQ(raw.size(), 1920u * 1080 * 3);
    const auto rgb = [&](int x, int y) {
        const std::size_t at = (static_cast<std::size_t>(y) * 1920 + x) * 3;
        return static_cast<unsigned char>(raw[at]) | static_cast<unsigned char>(raw[at + 1]) << 8 |
               static_cast<unsigned char>(raw[at + 2]) << 16;
    };
    // Five times over: 1600 x 1000 from (160, 40), black around it.
    EXPECT_EQ(rgb(159, 540), 0);
    EXPECT_EQ(rgb(1760, 540), 0);
    EXPECT_EQ(rgb(960, 39), 0);
    EXPECT_EQ(rgb(960, 1040), 0);
    EXPECT_EQ(rgb(160, 40), 0x0000FFu);
    EXPECT_EQ(rgb(1759, 40), 0x304050u);
    EXPECT_EQ(rgb(960, 1039), 0xFFFFFFu);
    // Crisp: the left half's last column of pixels ends exactly at 160 + 800.
    EXPECT_EQ(rgb(959, 300), 0x0000FFu);
    EXPECT_EQ(rgb(960, 300), 0x304050u);
}

}  // namespace
