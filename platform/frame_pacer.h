#pragma once
// A frame-rate cap: sleeps until the next frame is due. A loop that fell
// more than a frame behind starts a fresh schedule rather than rushing to
// catch up, since the pictures follow the song clock, not a frame count.
#include <chrono>

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // At most `framesPerSecond` frames a second; 0 or less: no cap.
    explicit FramePacer(int framesPerSecond);

    // When the frame after one finished at `now` may start.
    Clock::time_point nextFrameAfter(Clock::time_point now);
    // Sleeps until then.
    void wait();

private:
    Clock::duration period_{};
    Clock::time_point next_{};
};
