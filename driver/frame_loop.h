#pragma once
// One pass of the show's frame loop, the same for every display: the
// clock, the engine's keys, the title, the end test, then the frame is
// cleared, drawn and handed to the display. The Escape state comes from
// the platform's GetAsyncKeyState (platform/win_console.h).
#include "platform/frame_display.h"

// Returns true when this frame ends the show; it is drawn and presented
// all the same.
bool runFrame(FrameDisplay& display);

// The frame loop's end conditions: a position above the show's end (exactly
// the end does not end it) or any non-zero Escape state.
bool frameEndsShow(int position, short escapeState);
