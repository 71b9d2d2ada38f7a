#pragma once
// What the frame loop draws on: libcaca's console or the truecolor
// terminal. Both take the title and one finished frame per loop, so the
// schedule, clock and keys stay the loop's own whatever the picture.
#include <cstdint>

class FrameDisplay {
public:
    virtual ~FrameDisplay() = default;
    virtual void setTitle(const char* title) = 0;
    // `frame` is 320 x 200 pixels in the frame layout.
    virtual void present(const std::uint32_t* frame) = 0;
    // Called once a frame has been presented; a display with a frame-rate
    // cap sleeps here.
    virtual void waitForNextFrame() {}
};
