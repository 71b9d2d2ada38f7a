#pragma once
// One capture run from parsed options to written files. Exit status: 0 done,
// 1 a failure while running (a file could not be written, ffmpeg failed),
// 2 a problem found before the first frame (folders, missing ffmpeg).
#include "tools/capture/options.h"

int runCapture(CaptureOptions options);
