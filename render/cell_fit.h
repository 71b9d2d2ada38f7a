#pragma once
// Where the cell picture goes in a terminal: as large as fits while it keeps
// the frame's 8 : 5 shape, centred. Terminal cells are taken to be twice as
// tall as wide, so 8 : 5 is 16 columns to every 5 rows.

struct CellArea {
    int column = 0;  // of the top left cell, from 0
    int row = 0;
    int columns = 1;
    int rows = 1;
};

// Sizes below one cell count as one; the picture is never smaller than
// 1 x 1 and never larger than the terminal.
CellArea fitPicture(int terminalColumns, int terminalRows);
