#pragma once
// A cell picture as an image: every cell a fixed block of pixels, its
// sub-cells filled with the colours they show, as a terminal with a
// matching font would draw the block symbols.
#include "render/cell_picture.h"
#include "tools/capture/image.h"

constexpr int kCellImageWidth = 8;
constexpr int kCellImageHeight = 16;

RgbImage renderCells(const CellPicture& picture, int cellWidth = kCellImageWidth,
                     int cellHeight = kCellImageHeight);
