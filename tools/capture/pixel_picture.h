#pragma once
// The frame's own pixels as the kitty and sixel pictures would draw them in
// a terminal of a given size, made without a terminal: each frame is
// encoded exactly as the show would send it (so its bytes can be counted
// and saved), and what a terminal would show from those bytes is made
// back from them. The terminal's cells are taken to be of a given size in
// pixels (by default kCellImageWidth x kCellImageHeight).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/kitty_encoder.h"
#include "platform/sixel_console.h"
#include "platform/sixel_encoder.h"
#include "render/cell_fit.h"
#include "tools/capture/image.h"

enum class PixelPictureKind { Kitty, Sixel };

class PixelPicture {
public:
    PixelPicture(PixelPictureKind kind, int terminalColumns, int terminalRows, PixelSize cell);

    // `frame` is 320 x 200 pixels in the frame layout; `title` what the
    // show would put in the window title with it.
    void draw(const std::uint32_t* frame, const std::string& title);

    // The bytes the last frame would have sent, and the count for each.
    const std::string& frameBytes() const { return bytes_; }
    const std::vector<long long>& frameByteCounts() const { return counts_; }
    // Where the picture goes, in cells (the sixel image's top left cell).
    const CellArea& area() const { return area_; }
    const SixelPlacement& placement() const { return placement_; }
    PixelPictureKind kind() const { return kind_; }
    const SixelPalette& palette() const { return sixel_.palette(); }

private:
    PixelPictureKind kind_;
    CellArea area_;
    SixelPlacement placement_;
    KittyEncoder kitty_{KittyTransfer::Direct};
    SixelEncoder sixel_;
    std::string picture_;
    std::string bytes_;
    std::vector<long long> counts_;
    bool first_ = true;
};

// What a terminal shows from one frame's bytes: the kitty picture's pixels
// scaled into its box of cells, or the sixel image as decoded. Nothing when
// the bytes hold no picture.
std::optional<RgbImage> pictureFromBytes(PixelPictureKind kind, const std::string& bytes, const CellArea& area,
                                         PixelSize cell);

// The frame enlarged by the largest whole factor that fits width x height
// (each frame pixel a square block), centred on black; shrunk by area
// averaging where even one time does not fit.
RgbImage crispPicture(const RgbImage& frame, int width, int height);

// Colours mapped onto a sixel palette, as a sixel terminal shows them.
RgbImage paletteColors(const std::uint32_t* frame, const SixelPalette& palette);
