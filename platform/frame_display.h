#pragma once
// What the frame loop draws on: libcaca's console, a picture on the raw
// terminal, or the web page's canvas. Each takes the title and one finished
// frame per pass, so the schedule, clock and keys stay the loop's own
// whatever the picture.
#include "render/pixel_view.h"

class FrameDisplay {
public:
    virtual ~FrameDisplay() = default;
    virtual void setTitle(const char* title) = 0;
    // `frame` is drawn anew.
    virtual void present(const PixelView& frame) = 0;
    // The frame of the last call again, unchanged, while the show is
    // paused: a display draws it only where its picture was lost (a resize,
    // a stop, a new look) or never reached the screen. By default it is
    // presented as a new one.
    virtual void presentAgain(const PixelView& frame) { present(frame); }
    // Called once a frame has been presented; a display with a frame-rate
    // cap sleeps here.
    virtual void waitForNextFrame() {}
};
