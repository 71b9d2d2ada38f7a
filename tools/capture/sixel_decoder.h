#pragma once
// Reads a sixel image back into pixels, so the capture shows exactly what a
// terminal would draw from the bytes the show sends. Understands what our
// encoder writes and the rest of the common subset: raster attributes,
// RGB colour definitions in per cent (HLS ones are read as black), colour
// selection, repeats, carriage return and next line. Pixels no sixel
// reaches are black.
#include <optional>
#include <string_view>

#include "tools/capture/image.h"

// Nothing when `bytes` holds no sixel image (no DCS ... q), or one of more
// than kLargestPicturePixels.
std::optional<RgbImage> decodeSixel(std::string_view bytes);
