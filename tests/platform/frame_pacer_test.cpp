#include "platform/frame_pacer.h"

#include <gtest/gtest.h>

namespace {

using Clock = FramePacer::Clock;
using std::chrono::milliseconds;

TEST(FramePacer, FramesOnTimeFollowAFixedScheduleThatALateOneRestartsAndNoCapNeverWaits) {
    FramePacer pacer(50);  // 20 ms a frame
    const Clock::time_point start{milliseconds(1000)};
    const Clock::time_point first = pacer.nextFrameAfter(start);
    EXPECT_EQ(first, start + milliseconds(20));
    // A frame that took less than its share still waits for its slot, and a
    // slightly late one is not pushed back: the schedule keeps its beat.
    EXPECT_EQ(pacer.nextFrameAfter(start + milliseconds(5)), start + milliseconds(40));
    EXPECT_EQ(pacer.nextFrameAfter(start + milliseconds(45)), start + milliseconds(60));
    // More than a whole frame late: a fresh schedule from now, no burst of
    // frames to catch up.
    const Clock::time_point late = start + milliseconds(500);
    EXPECT_EQ(pacer.nextFrameAfter(late), late + milliseconds(20));
    EXPECT_EQ(pacer.nextFrameAfter(late + milliseconds(1)), late + milliseconds(40));
    // No cap: never a wait.
    EXPECT_EQ(FramePacer(0).nextFrameAfter(late), late);
}

}  // namespace
