#pragma once
// Turns a 320 x 200 frame into a picture of terminal cells: the frame is
// area-averaged onto the grid of sub-cells, then each cell gets the two
// colours and the mask that draw its sub-cells best.
#include <cstdint>
#include <vector>

#include "render/area_average.h"
#include "render/cell_picture.h"

class CellConverter {
public:
    // A picture of columns x rows cells (each at least 1).
    CellConverter(CellShape shape, int columns, int rows);

    // `frame` is 320 x 200 pixels in the frame layout.
    const CellPicture& convert(const std::uint32_t* frame);

    const CellPicture& picture() const { return picture_; }

private:
    void makeHalfBlocks();
    void makeTwoColorCells();

    AreaAverager averager_;
    std::vector<std::uint32_t> subCells_;  // the averaged sub-cell grid
    CellPicture picture_;
};

// Two colours for up to six sub-cell colours: the sub-cells split at the
// middle of the channel that varies most, each side getting its mean.
Cell twoColorCell(const std::uint32_t* colors, int count);
