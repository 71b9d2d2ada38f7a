#include "tools/capture/options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tools/capture/output_check.h"

namespace {

ParseResult parse(std::vector<std::string> args) { return parseOptions(args); }

TEST(CaptureOptions, AcceptsBothValueFormsAndFlags) {
    const ParseResult r = parse({"--start", "1000", "--end=2000", "--fps=30", "--frames", "--utf8",
                                 "--sheet", "s.png", "--show-dir=/tmp", "--quiet"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.startMs, 1000);
    EXPECT_EQ(r.options.endMs, 2000);
    EXPECT_EQ(r.options.fps, 30);
    EXPECT_TRUE(r.options.framePng);
    EXPECT_TRUE(r.options.utf8Text);
    EXPECT_FALSE(r.options.charPng);
    EXPECT_EQ(r.options.sheetFile, "s.png");
    EXPECT_EQ(r.options.showDir, "/tmp");
    EXPECT_TRUE(r.options.quiet);
}

TEST(CaptureOptions, DefaultsCoverTheWholeShowAtSixtyFps) {
    const ParseResult r = parse({"--stats", "x.csv"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.options.startMs, 0);
    EXPECT_EQ(r.options.endMs, 333000);
    EXPECT_EQ(r.options.fps, 60);
    EXPECT_EQ(r.options.showDir, ".");
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
    };
    for (const Case& c : cases) {
        const ParseResult r = parse(c.args);
        EXPECT_FALSE(r.ok()) << c.args.front();
        EXPECT_NE(r.error.find(c.mentions), std::string::npos)
            << "error \"" << r.error << "\" should mention \"" << c.mentions << "\"";
    }
}

TEST(CaptureOptions, HelpNeedsNoOutput) {
    const ParseResult r = parse({"--help"});
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.options.help);
}

TEST(CapturePositions, RangeRunsAtTheFrameRateWithTheEndIncluded) {
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
}

TEST(CapturePositions, ListIsKeptInItsOrder) {
    const ParseResult r = parse({"--frames", "--at", "3000,1000,2000"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(framePositions(r.options), (std::vector<int>{3000, 1000, 2000}));
}

TEST(CaptureOutputs, UnwritableFoldersAreRefusedBeforeAnyFrame) {
    CaptureOptions o;
    o.framePng = true;
    o.outDir = "/proc/vesper-capture-out";
    EXPECT_NE(prepareOutputs(o).find("--out"), std::string::npos);

    CaptureOptions sheet;
    sheet.sheetFile = "/proc/sheet.png";
    EXPECT_NE(prepareOutputs(sheet).find("not writable"), std::string::npos);

    CaptureOptions missing;
    missing.statsFile = "/nonexistent-folder-vg/stats.json";
    EXPECT_NE(prepareOutputs(missing).find("does not exist"), std::string::npos);

    CaptureOptions show;
    show.statsFile = "/tmp/stats.json";
    show.showDir = "/nonexistent-show-vg";
    EXPECT_NE(prepareOutputs(show).find("--show-dir"), std::string::npos);
}

TEST(CaptureOutputs, RelativePathsBecomeAbsoluteAndGoodFoldersPass) {
    const std::string folder =
        ::testing::TempDir() + "vg-capture-outputs-" + std::to_string(getpid());
    CaptureOptions o;
    o.charPng = true;
    o.outDir = folder + "/frames/nested";
    o.statsFile = "relative-stats.csv";
    o.showDir = ".";
    EXPECT_EQ(prepareOutputs(o), "");
    EXPECT_EQ(o.statsFile.front(), '/');
    EXPECT_EQ(o.showDir.front(), '/');
    EXPECT_TRUE(folderIsWritable(o.outDir));
}

}  // namespace
