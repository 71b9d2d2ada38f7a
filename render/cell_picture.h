#pragma once
// A picture made of terminal character cells. Each cell is split into a
// small grid of sub-cells and shows a block symbol whose drawn sub-cells
// take the foreground colour and the rest the background colour, so a cell
// carries two 24-bit colours and a mask of which sub-cells are foreground.
// Colours keep the frame's layout: red in bits 0-7, green 8-15, blue 16-23.
#include <cstdint>
#include <string_view>
#include <vector>

enum class CellShape {
    HalfBlock,  // 1 x 2 sub-cells: upper and lower half
    Quadrant,   // 2 x 2
    Sextant,    // 2 x 3
};

int subCellColumns(CellShape shape);
int subCellRows(CellShape shape);

// Bit (row * columns + column) of a mask is set when that sub-cell shows the
// foreground colour.
struct Cell {
    std::uint32_t foreground = 0;
    std::uint32_t background = 0;
    std::uint8_t mask = 0;

    bool operator==(const Cell&) const = default;
};

// One colour over the whole cell, in the single form every converter and
// encoder uses for it (no sub-cell drawn, both colours equal), so equal
// looks compare equal.
inline Cell solidCell(std::uint32_t color) { return Cell{color, color, 0}; }

// The cell with every sub-cell inverted and the colours swapped: it looks
// the same, which lets an encoder pick whichever needs fewer colour changes.
Cell invertedCell(const Cell& cell, CellShape shape);

// The colour the cell shows at one sub-cell.
std::uint32_t subCellColor(const Cell& cell, int subCell);

// The symbol, UTF-8 encoded, that draws `mask` of a cell of this shape
// (space for an empty mask, the full block for a full one).
std::string_view cellGlyph(CellShape shape, std::uint8_t mask);

// The same as a table indexed by mask, each symbol in four bytes so that
// it can be copied whole.
struct Utf8Glyph {
    char bytes[4];
    std::uint8_t length;
    std::string_view view() const { return {bytes, length}; }
};
const Utf8Glyph* glyphTable(CellShape shape);

struct CellPicture {
    CellShape shape = CellShape::HalfBlock;
    int columns = 0;
    int rows = 0;
    std::vector<Cell> cells;  // rows top down

    CellPicture() = default;
    CellPicture(CellShape s, int c, int r)
        : shape(s), columns(c), rows(r), cells(static_cast<std::size_t>(c) * r) {}
    Cell& at(int column, int row) { return cells[static_cast<std::size_t>(row) * columns + column]; }
    const Cell& at(int column, int row) const {
        return cells[static_cast<std::size_t>(row) * columns + column];
    }
};
