#pragma once
// One capture run from parsed options to written files. Exit status: 0 done,
// 1 a failure while running (a file could not be written, ffmpeg failed),
// 2 a problem found before the first frame (folders, missing ffmpeg).
#include "tools/capture/options.h"
#include "tools/capture/show_session.h"

// Works inside the show folder (it changes the working directory). The
// registrar replaces the show's schedule, for runs over synthetic effects.
int runCapture(CaptureOptions options, EffectRegistrar registrar = nullptr);
