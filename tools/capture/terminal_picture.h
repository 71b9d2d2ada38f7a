#pragma once
// A picture of the show's raw terminal as it would be drawn in a terminal
// of a given size, made without a terminal: the display's own console,
// fitted to that terminal and never opened, encodes each frame exactly as
// the show would send it after the frame before, so the bytes a frame costs
// can be counted and saved, and what a terminal shows can be made back from
// the cells it drew or the image its bytes carry.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/display_table.h"
#include "platform/terminal_console.h"
#include "render/cell_fit.h"

// Median, 99th percentile (nearest rank) and mean of the bytes frames
// sent; 0 without frames.
struct FrameBytes {
    long long median = 0;
    long long p99 = 0;
    double mean = 0.0;
    long long frames = 0;
};

FrameBytes summarizeFrameBytes(const std::vector<long long>& bytes);

class TerminalPicture {
public:
    // `row` must have a console; `cell`: the terminal's cells in pixels,
    // which shape the fit.
    TerminalPicture(const DisplayRow& row, CellShape cells, int terminalColumns, int terminalRows,
                    PixelSize cell);

    // `title` is what the show would put in the window title with `frame`.
    void draw(const PixelView& frame, const std::string& title);

    const DisplayRow& row() const { return row_; }
    CellArea area() const { return console_->pictureArea(); }
    // What the capture makes back of a frame, in pixels: the image its
    // bytes carry, else the box of cells at `cell` pixels each.
    PixelSize pictureSize(PixelSize cell) const;
    // The cells of the last frame, for a picture of cells; else null.
    const CellPicture* cells() const { return console_->cells(); }
    // The last frame's bytes, and how many each frame so far sent.
    const std::string& frameBytes() const { return bytes_; }
    const std::vector<long long>& frameByteCounts() const { return counts_; }
    // "truecolor 80 x 25 cells", "sixel 640 x 396 pixels", for the figures.
    std::string describe() const;

private:
    const DisplayRow& row_;
    std::unique_ptr<TerminalConsole> console_;
    std::string bytes_;
    std::vector<long long> counts_;
};
