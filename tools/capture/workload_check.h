#pragma once
// How much a run asks for, judged from the parsed options alone (before any
// frame, whatever parsed them): a range or warm-up that would take days,
// more positions than memory should hold, or a terminal picture larger than
// memory should hold, is refused with the numbers.
#include <cstdint>
#include <string>

#include "render/cell_fit.h"
#include "tools/capture/options.h"

// Frames one run may render, saved or warm-up. About three hours at the
// tool's pace (2-20 ms a frame); the whole show at 60 fps is 19 981.
constexpr std::int64_t kMaxFramesPerRun = 1000000;

// Frames the options render, counting stops just above `limit`.
std::int64_t framesToRender(const CaptureOptions& options, std::int64_t limit);

// The picture of the show's raw terminal the options make, in pixels, as
// the capture makes it back; 0 x 0 for the pictures of a fixed size
// (libcaca's, the pixels picture).
PixelSize terminalPictureSize(const CaptureOptions& options);

// An error text naming the options and the count or the size, or empty.
std::string checkWorkload(const CaptureOptions& options);
