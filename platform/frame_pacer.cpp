#include "platform/frame_pacer.h"

#include <thread>

FramePacer::FramePacer(int framesPerSecond) {
    if (framesPerSecond > 0)
        period_ = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / framesPerSecond;
}

FramePacer::Clock::time_point FramePacer::nextFrameAfter(Clock::time_point now) {
    if (period_ == Clock::duration::zero()) return now;
    if (next_ < now - period_) next_ = now;  // late: start over
    next_ += period_;
    return next_;
}

void FramePacer::wait() {
    if (period_ == Clock::duration::zero()) return;
    std::this_thread::sleep_until(nextFrameAfter(Clock::now()));
}
