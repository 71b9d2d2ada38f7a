#include "render/cell_converter.h"

#include <algorithm>

namespace {

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 200;

std::uint32_t channelOf(std::uint32_t color, int channel) { return color >> (8 * channel) & 0xFF; }

// Rounded mean of each channel.
std::uint32_t meanColor(const std::uint32_t* colors, int count, unsigned mask, bool inMask) {
    std::uint32_t sums[3] = {0, 0, 0};
    std::uint32_t n = 0;
    for (int i = 0; i < count; ++i) {
        if ((mask >> i & 1) != static_cast<unsigned>(inMask)) continue;
        for (int c = 0; c < 3; ++c) sums[c] += channelOf(colors[i], c);
        ++n;
    }
    std::uint32_t mean = 0;
    for (int c = 0; c < 3; ++c) mean |= (sums[c] + n / 2) / n << (8 * c);
    return mean;
}

}  // namespace

Cell twoColorCell(const std::uint32_t* colors, int count) {
    int widest = 0;
    std::uint32_t widestLow = 0, widestHigh = 0;
    for (int c = 0; c < 3; ++c) {
        std::uint32_t low = 255, high = 0;
        for (int i = 0; i < count; ++i) {
            low = std::min(low, channelOf(colors[i], c));
            high = std::max(high, channelOf(colors[i], c));
        }
        if (high - low > widestHigh - widestLow) {
            widest = c;
            widestLow = low;
            widestHigh = high;
        }
    }
    if (widestHigh == widestLow) {
        // Every channel is flat, so every sub-cell has the first's colour.
        return solidCell(colors[0] & 0xFFFFFFu);
    }
    const std::uint32_t middle = (widestLow + widestHigh) / 2;
    unsigned mask = 0;
    for (int i = 0; i < count; ++i)
        if (channelOf(colors[i], widest) > middle) mask |= 1u << i;
    return Cell{meanColor(colors, count, mask, true), meanColor(colors, count, mask, false),
                static_cast<std::uint8_t>(mask)};
}

CellConverter::CellConverter(CellShape shape, int columns, int rows)
    : averager_(kFrameWidth, kFrameHeight, columns * subCellColumns(shape),
                rows * subCellRows(shape)),
      subCells_(static_cast<std::size_t>(averager_.targetWidth()) * averager_.targetHeight()),
      picture_(shape, columns, rows) {}

const CellPicture& CellConverter::convert(const std::uint32_t* frame) {
    averager_.run(frame, subCells_.data());
    if (picture_.shape == CellShape::HalfBlock)
        makeHalfBlocks();
    else
        makeTwoColorCells();
    return picture_;
}

// Two sub-cells need no choosing: the upper half is the foreground.
void CellConverter::makeHalfBlocks() {
    const int columns = picture_.columns;
    for (int row = 0; row < picture_.rows; ++row) {
        const std::uint32_t* upper = &subCells_[static_cast<std::size_t>(2 * row) * columns];
        const std::uint32_t* lower = upper + columns;
        Cell* cells = &picture_.at(0, row);
        for (int column = 0; column < columns; ++column)
            cells[column] = upper[column] == lower[column] ? solidCell(upper[column])
                                                           : Cell{upper[column], lower[column], 1};
    }
}

void CellConverter::makeTwoColorCells() {
    const int across = subCellColumns(picture_.shape);
    const int down = subCellRows(picture_.shape);
    const int width = averager_.targetWidth();
    std::uint32_t colors[6];
    for (int row = 0; row < picture_.rows; ++row) {
        for (int column = 0; column < picture_.columns; ++column) {
            const std::uint32_t* topLeft =
                &subCells_[static_cast<std::size_t>(row * down) * width + column * across];
            for (int y = 0; y < down; ++y)
                for (int x = 0; x < across; ++x) colors[y * across + x] = topLeft[y * width + x];
            picture_.at(column, row) = twoColorCell(colors, across * down);
        }
    }
}
