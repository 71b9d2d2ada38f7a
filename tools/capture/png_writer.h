#pragma once
// Writes RGB pictures as PNG. The same picture always gives the same bytes:
// fixed compression settings and no time stamp.
#include <string>

#include "tools/capture/image.h"

// Returns an error text, empty on success.
std::string writePng(const std::string& path, const RgbImage& image);
