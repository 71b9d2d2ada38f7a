#include "tools/capture/cell_image.h"

RgbImage renderCells(const CellPicture& picture, int cellWidth, int cellHeight) {
    RgbImage image(picture.columns * cellWidth, picture.rows * cellHeight);
    const int across = subCellColumns(picture.shape);
    const int down = subCellRows(picture.shape);
    for (int py = 0; py < image.height; ++py) {
        const int row = py / cellHeight;
        // Sub-cell edges at whole pixels, as fonts draw thirds of a cell.
        const int subRow = (py % cellHeight) * down / cellHeight;
        for (int px = 0; px < image.width; ++px) {
            const int column = px / cellWidth;
            const int subColumn = (px % cellWidth) * across / cellWidth;
            const std::uint32_t color =
                subCellColor(picture.at(column, row), subRow * across + subColumn);
            std::uint8_t* pixel = image.pixel(px, py);
            pixel[0] = color & 0xFF;
            pixel[1] = color >> 8 & 0xFF;
            pixel[2] = color >> 16 & 0xFF;
        }
    }
    return image;
}
