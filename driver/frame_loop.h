#pragma once
// One pass of the show's frame loop, the same for every display: the
// clock, the engine's keys, the title, the end test, then the frame is
// cleared, drawn and handed to the display. While the show is paused the
// frame drawn at the paused position is held: no effect draws again (their
// noise and shakes would go on moving), and the display is handed the held
// frame to show again where it must. The Escape state comes from the
// platform's GetAsyncKeyState (platform/win_console.h) and the console's
// input pump (platform/console_input.h).
#include <optional>

#include "platform/frame_display.h"

class FrameLoop {
public:
    explicit FrameLoop(FrameDisplay& display) : display_(display) {}

    // Returns true when this pass ends the show; its frame is drawn and
    // presented all the same.
    bool runPass();
    // True when the last pass drew nothing new: the show is paused.
    bool holding() const { return held_; }

private:
    FrameDisplay& display_;
    std::optional<int> heldAt_;  // the paused position the FrameBuffer shows
    bool held_ = false;
};

// The frame loop's end conditions: a position above the show's end (exactly
// the end does not end it) or any non-zero Escape state.
bool frameEndsShow(int position, short escapeState);
