#include "render/cell_fit.h"

#include <algorithm>

namespace {

constexpr long long kShapeWidth = 8;
constexpr long long kShapeHeight = 5;
// Bounds that keep the products below within 64 bits. The kernel reports
// pixels in 16 bits; a cell count past a million is no real terminal.
constexpr long long kMaxCells = 1 << 20;
constexpr long long kMaxPixels = 65535;

// A cell's width and height in pixels as a ratio: the whole text area over
// the cells, or the 1 : 2 guess when the terminal reported no pixels.
struct CellRatio {
    long long width;   // pixels across the whole terminal, divided by columns
    long long height;  // and down it, divided by rows
    long long columns;
    long long rows;
};

CellRatio cellRatio(long long columns, long long rows, PixelSize pixels) {
    if (!pixels.known() || pixels.width > kMaxPixels || pixels.height > kMaxPixels)
        return {1, 2, 1, 1};
    return {pixels.width, pixels.height, columns, rows};
}

}  // namespace

CellArea fitPicture(int terminalColumns, int terminalRows, PixelSize pixels) {
    const long long width = std::clamp<long long>(terminalColumns, 1, kMaxCells);
    const long long height = std::clamp<long long>(terminalRows, 1, kMaxCells);
    const CellRatio cell = cellRatio(width, height, pixels);
    // A cell is (cell.width / cell.columns) x (cell.height / cell.rows)
    // pixels. The widest picture whose height in pixels fits:
    // columns * cellWidth * 5 <= rows * cellHeight * 8.
    const long long heightLimited =
        height * cell.height * kShapeWidth * cell.columns / (kShapeHeight * cell.width * cell.rows);
    const long long widest = std::clamp(heightLimited, 1LL, width);
    // Its rows, rounded to the nearest: columns * cellWidth * 5 / (8 * cellHeight).
    const long long numerator = widest * cell.width * kShapeHeight * cell.rows;
    const long long denominator = kShapeWidth * cell.height * cell.columns;
    const long long rounded = (2 * numerator + denominator) / (2 * denominator);
    CellArea area;
    area.columns = static_cast<int>(widest);
    area.rows = static_cast<int>(std::clamp(rounded, 1LL, height));
    area.column = static_cast<int>((width - area.columns) / 2);
    area.row = static_cast<int>((height - area.rows) / 2);
    return area;
}
