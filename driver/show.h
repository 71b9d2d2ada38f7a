#pragma once

// Runs the whole show: start-up, the frame loop, shutdown. Returns the
// process exit status, which is always 0.
int runShow();
