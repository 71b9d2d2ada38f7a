#pragma once
// The grid texture mapper behind the full-screen distortions.
//
// The 320 x 200 frame is cut into 40 x 25 cells of 8 x 8 pixels. An effect
// writes a texture coordinate and a brightness level at each of the 41 x 26
// cell corners once per frame; the grid then interpolates the three values
// across each cell in 24.8 fixed point (render/fixed_point.h) and samples a
// 256 x 256 texture that repeats in both directions. All per-pixel work is integer.
#include "engine/frame.h"

struct GridPoint {
    int texY;   // texture row; only bits 0-7 pick the row, the texture repeats
    int texX;   // texture column; likewise
    int level;  // brightness 0..255
};

class DeformGrid {
public:
    static constexpr int kCellSize = 8;
    static constexpr int kColumns = kFrameWidth / kCellSize + 1;  // 41 point columns, 40 cells across
    static constexpr int kRows = kFrameHeight / kCellSize + 1;    // 26 point rows, 25 cells down

    DeformGrid() = default;

    int columns = kColumns;
    int rows = kRows;
    float columnValues[kColumns] = {};  // scratch for fills, one per point column
    float rowValues[kRows] = {};        // scratch for fills, one per point row
    GridPoint points[kColumns * kRows] = {};  // point (c, r) is points[r * 41 + c]

    // Every cell shaded from black (level 0) through the texel (about 127)
    // to white (255); the target's pixels are replaced.
    void drawShaded(const unsigned int* texture, unsigned int* target) const;
    // Every cell darkened by its level and averaged with the target's pixels.
    void drawHalfBlend(const unsigned int* texture, unsigned int* target) const;

    // One cell (column 0..39, row 0..24) of a 41-wide point array into a
    // frame-sized target.
    static void drawCellShaded(int column, int row, const GridPoint* points,
                               const unsigned int* texture, unsigned int* target);
    static void drawCellHalfBlend(int column, int row, const GridPoint* points,
                                  const unsigned int* texture, unsigned int* target);
};
