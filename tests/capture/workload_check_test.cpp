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

}  // namespace
