#include "tools/capture/workload_check.h"

#include <gtest/gtest.h>

namespace {

CaptureOptions range(int start, int end, int fps, int warmup = 0) {
    CaptureOptions o;
    o.startMs = start;
    o.endMs = end;
    o.fps = fps;
    o.warmupMs = warmup;
    return o;
}

TEST(CaptureWorkload, CountsSavedAndWarmUpFramesAsTheRunRendersThem) {
    EXPECT_EQ(framesToRender(range(0, 333000, 60), kMaxFramesPerRun),
              static_cast<std::int64_t>(framePositions(range(0, 333000, 60)).size()));
    EXPECT_EQ(framesToRender(range(1000, 1000, 60), kMaxFramesPerRun), 1);
    CaptureOptions listed;
    listed.atMs = {10, 5000};
    listed.fps = 10;
    listed.warmupMs = 1000;
    // 10 ms: warm-up from 0 (one frame at 0); 5000: 4000..4900 (ten frames).
    EXPECT_EQ(framesToRender(listed, kMaxFramesPerRun), 1 + 1 + 1 + 10);
    // With a range, every saved frame gets its own warm-up.
    EXPECT_EQ(framesToRender(range(2000, 3000, 10, 500), kMaxFramesPerRun), 11 * 6);
}

TEST(CaptureWorkload, TheWholeShowPassesAndRunsOfDaysAreRefusedWithTheirNumbers) {
    EXPECT_EQ(checkWorkload(range(0, 333000, 1000)), "");
    const std::string refused = checkWorkload(range(0, 1073741823, 60));
    EXPECT_NE(refused.find("--start 0 --end 1073741823 --fps 60"), std::string::npos) << refused;
    EXPECT_NE(refused.find("more than 1000000 frames"), std::string::npos) << refused;
    CaptureOptions farWarmUp;
    farWarmUp.atMs = {1073741823};
    farWarmUp.warmupMs = 1073741823;
    EXPECT_NE(checkWorkload(farWarmUp).find("--warmup 1073741823"), std::string::npos);
    // A range whose every frame has a warm-up: walked only up to the limit.
    EXPECT_GT(framesToRender(range(0, 100000, 1000, 100000), 5000), 5000);
    EXPECT_LE(framesToRender(range(0, 100000, 1000, 100000), 5000), 5000 + 100001);
}

TEST(CaptureWorkload, TerminalPicturesLargerThanMemoryShouldHoldAreRefusedWithTheirSize) {
    struct Case {
        const char* display;
        int columns, rows, cellWidth, cellHeight;
        const char* refusal;  // nullptr where the size is taken
    };
    const Case cases[] = {
        {"kitty", 1000, 1000, 64, 64, "a picture of 64000 x 40000 pixels"},
        {"truecolor", 1000, 1000, 64, 64, "a picture of 64000 x 40000 pixels"},
        {"truecolor", 1000, 1000, 16, 16, "a picture of 16000 x 10000 pixels"},
        // Every terminal of the usual cells, the largest cells in the usual
        // terminal; the sixel image, which has a width of its own; the
        // pictures of a fixed size whatever the terminal.
        {"kitty", 1000, 1000, 8, 16, nullptr},
        {"truecolor", 80, 50, 64, 64, nullptr},
        {"sixel", 1000, 1000, 64, 64, nullptr},
        {"caca", 1000, 1000, 64, 64, nullptr},
        {"pixels", 1000, 1000, 64, 64, nullptr},
    };
    for (const Case& c : cases) {
        CaptureOptions o;
        o.atMs = {1000};
        o.display = c.display;
        o.terminalColumns = c.columns;
        o.terminalRows = c.rows;
        o.cellWidth = c.cellWidth;
        o.cellHeight = c.cellHeight;
        const std::string error = checkWorkload(o);
        const std::string named = std::to_string(c.columns) + "x" + std::to_string(c.rows) +
                                  " of " + std::to_string(c.cellWidth) + "x" +
                                  std::to_string(c.cellHeight) + ": " + error;
        if (!c.refusal) {
            EXPECT_EQ(error, "") << named;
            continue;
        }
        EXPECT_NE(error.find(c.refusal), std::string::npos) << named;
        EXPECT_NE(error.find("at most 41943040 (8192 x 5120)"), std::string::npos) << named;
    }
}

}  // namespace
