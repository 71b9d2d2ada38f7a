#pragma once
// Sizes as a terminal or the kernel reports them, bounded where they come
// in, before any arithmetic is done with them: a terminal may answer with
// any number, and no real one is larger than these. The bounds keep every
// product of a cell count and a cell's pixels inside an int.
#include "render/cell_fit.h"

// A window's columns or rows: the kernel's own bound.
constexpr int kMostTerminalCells = 65535;
// A side of the window, or of an image, in pixels: the kernel's own bound.
constexpr int kMostTerminalPixels = 65535;
// A side of one cell in pixels.
constexpr int kMostCellPixels = 4096;

struct TerminalSize {
    int columns = 80;
    int rows = 24;
    PixelSize pixels;  // the text area, where the kernel knows it
};

// A count of cells within 1 .. kMostTerminalCells.
int boundedCells(long long count);
// A size in pixels whose sides are at most `most`; unknown (zero) when
// either side is not positive.
PixelSize boundedPixels(long long width, long long height, int most = kMostTerminalPixels);
