#pragma once
#include <string>

#include "tools/gen/pictures/picture_image.h"

namespace gen {

// Writes the image as a baseline JPEG with full-resolution colour (glowing
// edges on black would bleed with subsampled chroma). Channels are clamped to
// 0..1 and rounded, so a pixel that is exactly black stays black. Returns
// false after printing the reason.
bool writeJpeg(const Image& image, const std::string& path, int quality);

}  // namespace gen
