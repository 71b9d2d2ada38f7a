#pragma once
// The frame as a sixel image, drawn in place in the middle of the window.
// The terminal does not scale sixels, so the image is made at the size the
// picture takes in the window's pixels (from the kernel, the terminal's
// answer, or a guess of 10 x 20 pixels a cell), its height a multiple of
// six and never more than the terminal's largest image (nor than 4096
// pixels wide).
//
// Where the image lands and where the cursor goes afterwards differ between
// terminals (the sixel display mode, which xterm turns around), so the mode
// is set to draw at the cursor, the cursor is saved and put back around
// every image, and the bottom row is left free so that no terminal scrolls.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sixel_encoder.h"
#include "platform/terminal_console.h"
#include "render/cell_fit.h"

// Where the image goes: its top left cell and its size in pixels.
struct SixelPlacement {
    int column = 0;
    int row = 0;
    int width = 6;
    int height = 6;
};

// The widest image drawn, whatever the window says: a 4K screen's picture
// fits, and a frame's encoding stays within about a frame's time.
constexpr int kLargestSixelWidth = 4096;

// The image for a window of `columns` x `rows` cells and `pixels` pixels
// (a guess of 10 x 20 a cell when unknown), at most kLargestSixelWidth
// wide and at most `limit` where known.
SixelPlacement placeSixelImage(int columns, int rows, PixelSize pixels, PixelSize limit);

// The image drawn in place: the cursor saved, moved to the placement's
// top left cell, the image, the cursor put back. The encoder's last image.
void appendSixelInPlace(std::string& out, const SixelPlacement& placement, std::string_view image);

class SixelConsole : public TerminalConsole {
public:
    SixelConsole(int framesPerSecond, const TerminalReplies& replies);

    const SixelPlacement& placement() const { return placement_; }
    // The image's top left cell (it covers as many cells as its pixels take).
    CellArea pictureArea() const override { return {placement_.column, placement_.row, 0, 0}; }
    PixelSize picturePixels() const override { return {placement_.width, placement_.height}; }

private:
    std::string enterBytes() const override;
    std::string leaveBytes() const override;
    void fit(const TerminalSize& size) override;
    std::string_view encode(const PixelView& frame, std::string_view title) override;

    SixelEncoder encoder_;
    SixelPlacement placement_;
    bool clear_ = true;
    std::string picture_;
    std::string bytes_;
};
