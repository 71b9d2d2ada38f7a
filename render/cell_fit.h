#pragma once
// Where the picture goes in a terminal: as large as fits while it keeps
// the frame's 8 : 5 shape, centred. The shape is kept in the terminal's
// pixels: where the terminal reports its size in pixels the cells take
// their real shape from it; where it reports nothing they are taken to be
// twice as tall as wide, so 8 : 5 is 16 columns to every 5 rows.

struct CellArea {
    int column = 0;  // of the top left cell, from 0
    int row = 0;
    int columns = 1;
    int rows = 1;
    bool operator==(const CellArea&) const = default;
};

// The terminal's text area in pixels; zero (or less) where it is unknown.
struct PixelSize {
    int width = 0;
    int height = 0;
    bool known() const { return width > 0 && height > 0; }
    bool operator==(const PixelSize&) const = default;
};

// Sizes below one cell count as one; the picture is never smaller than
// 1 x 1 and never larger than the terminal. `pixels` is the whole
// terminal's size in pixels (columns x rows cells).
CellArea fitPicture(int terminalColumns, int terminalRows, PixelSize pixels = {});
