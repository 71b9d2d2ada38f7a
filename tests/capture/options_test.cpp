#include "tools/capture/options.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tools/capture/output_check.h"

namespace {

ParseResult parse(std::vector<std::string> args) { return parseOptions(args); }

TEST(CaptureOptions, BothValueFormsFlagsDefaultsAndTheLastOfARepeat) {
    const ParseResult r = parse({"--start", "1000", "--end=2000", "--fps=30", "--fps", "24", "--frames", "--ansi",
                                 "--sheet", "s.png", "--data", "/a", "--show-dir=/tmp", "--quiet", "--display", "caca",
                                 "--display=truecolor", "--cells=quadrant", "--terminal", "160x50", "--video-size",
                                 "1920x1080"});
    ASSERT_TRUE(r.ok()) << r.error;
    const CaptureOptions& o = r.options;
    EXPECT_EQ(std::tuple(o.startMs, o.endMs, o.fps, o.sheetFile, o.showDir),
              std::tuple(1000, 2000, 24, "s.png", "/tmp"));
    EXPECT_TRUE(o.framePng && o.ansiText && o.quiet);
    EXPECT_FALSE(o.charPng || o.utf8Text);
    EXPECT_EQ(std::tuple(o.display, o.cells), std::tuple("truecolor", CellShape::Quadrant));
    EXPECT_EQ(std::tuple(o.terminalColumns, o.terminalRows, o.videoWidth, o.videoHeight),
              std::tuple(160, 50, 1920, 1080));
    for (const char* name : {"kitty", "sixel", "pixels"})
        EXPECT_EQ(parse({"--sheet=s.png", "--display", name}).options.display, name);
    const ParseResult bytes = parse({"--display=sixel", "--bytes"});
    ASSERT_TRUE(bytes.ok()) << "--bytes alone is something to do: " << bytes.error;
    EXPECT_TRUE(bytes.options.terminalBytes);

    const ParseResult defaults = parse({"--stats", "x.csv"});
    ASSERT_TRUE(defaults.ok()) << defaults.error;
    const CaptureOptions& d = defaults.options;
    // An empty show folder is searched for like the show's.
    EXPECT_EQ(std::tuple(d.startMs, d.endMs, d.fps, d.showDir), std::tuple(0, 333000, 60, ""));
    EXPECT_EQ(std::tuple(d.display, d.cells), std::tuple("caca", CellShape::HalfBlock));
    EXPECT_EQ(std::tuple(d.terminalColumns, d.terminalRows, d.videoWidth, d.videoHeight),
              std::tuple(80, 50, 640, 400));
}

TEST(CaptureOptions, RejectsBadArgumentsWithAReason) {
    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    const std::vector<Case> cases = {
        {{"--frames", "--bogus"}, "unknown option \"--bogus\""},
        {{"--frames", "--start", "5000", "--end", "4000"}, "before the start"},
        {{"--frames", "--start"}, "needs a value"},
        {{"--frames", "--fps", "0"}, "between 1 and 1000"},
        {{"--frames", "--fps", "60x"}, "whole number"},
        {{"--frames", "--start", "-5"}, "between 0"},
        {{"--frames", "--end", "99999999999"}, "whole number"},
        {{"--frames", "--at", "1000,,2000"}, "whole number"},
        {{"--frames", "--at", "1000,2000,1000"}, "twice"},
        {{"--frames=yes"}, "takes no value"},
        {{"--video", "v.mp4", "--at", "1000"}, "steady frame rate"},
        {{"--stats", "stats.txt"}, ".json or .csv"},
        {{"--start", "0"}, "nothing to do"},
        {{"--sheet", ""}, "non-empty"},
        {{"--stats", "s.csv", "extra"}, "unexpected argument \"extra\""},
        {{"--frames", "--quiet=1"}, "option --quiet takes no value"},
        {{"--frames", "--sheet-columns", "65"}, "option --sheet-columns must be between 1 and 64, not 65"},
        {{"--chars", "--display", "vga"}, "caca, truecolor, kitty, sixel or pixels, not \"vga\""},
        {{"--chars", "--cells", "braille"}, "half, quadrant or sextant"},
        {{"--chars", "--terminal", "80"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "0x50"}, "COLUMNSxROWS"},
        {{"--chars", "--terminal", "80x1001"}, "COLUMNSxROWS"},
        {{"--video=v.mp4", "--video-size", "32x32"}, "WIDTHxHEIGHT"},
        {{"--video=v.mp4", "--video-size", "8000x1080"}, "WIDTHxHEIGHT"},
        {{"--video=v.mp4", "--video-size", "641x400"}, "even numbers"},
        {{"--utf8", "--display", "truecolor"}, "use --ansi"},
        {{"--utf8", "--display=sixel"}, "use --display caca"},
        {{"--ansi", "--display=kitty"}, "try --bytes"},
        {{"--bytes"}, "choose one with --display"},
        {{"--bytes", "--display=pixels"}, "choose one with --display"},
    };
    for (const Case& c : cases) {
        const ParseResult r = parse(c.args);
        EXPECT_FALSE(r.ok()) << c.args.back();
        EXPECT_NE(r.error.find(c.mentions), std::string::npos)
            << "error \"" << r.error << "\" should mention \"" << c.mentions << "\"";
    }
}

TEST(CaptureOptions, HelpAndVersionNeedNoOutputAndAreOnlyPrinted) {
    const ParseResult help = parse({"--help"});
    EXPECT_TRUE(help.ok()) << help.error;
    EXPECT_NE(help.print.find("Usage: vesper-capture"), std::string::npos) << help.print;
    for (const char* option : {"--data", "--sheet-every", "--warmup", "--ffmpeg", "--quiet"})
        EXPECT_NE(help.print.find(option), std::string::npos) << option;
    EXPECT_TRUE(parse({"-h"}).print == help.print);

    const ParseResult version = parse({"--version"});
    EXPECT_TRUE(version.ok()) << version.error;
    EXPECT_EQ(version.print, "vesper-capture " VG_VERSION "\n");
    EXPECT_TRUE(parse({"--frames"}).print.empty());
}

TEST(CapturePositions, RangeRunsAtTheFrameRateWithTheEndIncludedAndAListInItsOrder) {
    CaptureOptions o;
    o.startMs = 1000;
    o.endMs = 2000;
    o.fps = 60;
    const std::vector<int> positions = framePositions(o);
    ASSERT_EQ(positions.size(), 61u);
    EXPECT_EQ(positions[0], 1000);
    EXPECT_EQ(positions[1], 1016);  // 1000/60 truncated
    EXPECT_EQ(positions[2], 1033);
    EXPECT_EQ(positions[3], 1050);
    EXPECT_EQ(positions.back(), 2000);

    o.fps = 7;
    o.endMs = 1900;  // not on the frame grid: the last frame comes before it
    const std::vector<int> coarse = framePositions(o);
    ASSERT_EQ(coarse.size(), 7u);
    EXPECT_EQ(coarse.back(), 1857);

    o.startMs = o.endMs = 5000;
    EXPECT_EQ(framePositions(o), std::vector<int>{5000});
    // A list keeps its order, and a range beside it does not matter.
    const ParseResult r = parse({"--frames", "--at", "3000,1000,2000", "--start", "5000", "--end", "4000"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(framePositions(r.options), (std::vector<int>{3000, 1000, 2000}));
}

TEST(CaptureOutputs, RelativePathsBecomeAbsoluteGoodFoldersPassAndUnwritableOnesAreRefused) {
    // (--out and a show folder without content: the program tests.)
    CaptureOptions sheet;
    sheet.sheetFile = "/proc/sheet.png";
    EXPECT_NE(prepareOutputs(sheet).find("not writable"), std::string::npos);
    CaptureOptions missing;
    missing.statsFile = "/nonexistent-folder-vg/stats.json";
    EXPECT_NE(prepareOutputs(missing).find("does not exist"), std::string::npos);

    const ScratchFolder scratch("capture-outputs");
    const std::string folder = scratch.path().string();
    std::filesystem::create_directories(folder + "/show/resources");
    CaptureOptions o;
    o.charPng = true;
    o.outDir = folder + "/frames/nested";
    o.statsFile = "relative-stats.csv";
    o.showDir = std::filesystem::relative(folder + "/show").string();
    EXPECT_EQ(prepareOutputs(o), "");
    EXPECT_EQ(o.statsFile.front(), '/');
    EXPECT_EQ(o.showDir, std::filesystem::path(folder + "/show").lexically_normal().string());
    EXPECT_TRUE(folderIsWritable(o.outDir));
}

}  // namespace
