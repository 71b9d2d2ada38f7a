#pragma once
// The truecolor picture as the show draws it in a terminal of a given size,
// made without a terminal: the frame converted to cells, encoded as the
// show would send it after the frame before (so the bytes a frame costs can
// be counted), and rendered as an image with every cell a fixed block of
// pixels.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/cell_encoder.h"
#include "render/cell_converter.h"
#include "render/cell_fit.h"
#include "tools/capture/cell_image.h"
#include "tools/capture/image.h"

// The terminal the capture pretends to draw in: the classic picture's 80 x 50.
constexpr int kCaptureTerminalColumns = 80;
constexpr int kCaptureTerminalRows = 50;

// Median, 99th percentile (nearest rank) and mean of the bytes frames
// sent; 0 without frames.
struct FrameBytes {
    long long median = 0;
    long long p99 = 0;
    double mean = 0.0;
    long long frames = 0;
};

FrameBytes summarizeFrameBytes(const std::vector<long long>& bytes);

class TruecolorPicture {
public:
    // `cell`: the terminal's cells in pixels, which shape the fit.
    TruecolorPicture(CellShape shape, int terminalColumns, int terminalRows,
                     PixelSize cell = {kCellImageWidth, kCellImageHeight});

    // `frame` is 320 x 200 pixels in the frame layout; `title` what the
    // show would put in the window title with it.
    void draw(const std::uint32_t* frame, const std::string& title);

    const CellPicture& cells() const { return converter_.picture(); }
    const CellArea& area() const { return area_; }
    // The cells, each kCellImageWidth x kCellImageHeight pixels.
    RgbImage render() const;
    // The cells as ANSI text with 24-bit colours, for a file.
    std::string ansiText() const;

    // The bytes each frame drawn so far would have sent to the terminal.
    const std::vector<long long>& frameBytes() const { return frameBytes_; }
    // The last frame's bytes themselves.
    const std::string& lastFrameBytes() const { return lastBytes_; }

private:
    CellArea area_;
    CellConverter converter_;
    CellEncoder encoder_;
    std::vector<long long> frameBytes_;
    std::string lastBytes_;
};
