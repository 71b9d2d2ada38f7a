#pragma once
// The frame's own pixels as a terminal shows them: made back from the bytes
// of the kitty or sixel picture (tools/capture/terminal_picture.h), the
// frame enlarged with crisp pixels, or mapped onto a sixel palette.
#include <cstdint>
#include <optional>
#include <string>

#include "driver/display_table.h"
#include "platform/sixel_encoder.h"
#include "render/cell_fit.h"
#include "tools/capture/image.h"

// What a terminal shows from one frame's bytes: the kitty picture's pixels
// scaled into its box of cells, or the sixel image as decoded. Nothing when
// the bytes hold no picture.
std::optional<RgbImage> pictureFromBytes(PictureReadBack readBack, const std::string& bytes, const CellArea& area,
                                         PixelSize cell);

// The frame enlarged by the largest whole factor that fits width x height
// (each frame pixel a square block), centred on black; shrunk by area
// averaging where even one time does not fit.
RgbImage crispPicture(const RgbImage& frame, int width, int height);

// Colours mapped onto a sixel palette, as a sixel terminal shows them.
RgbImage paletteColors(const std::uint32_t* frame, const SixelPalette& palette);
