#pragma once

// Runs the whole show: start-up, the frame loop, shutdown. Returns the
// process exit status, which is always 0.
int runShow();

// The frame loop's end conditions: a position above the show's end (exactly
// the end does not end it) or any non-zero Escape state.
bool frameEndsShow(int position, short escapeState);
