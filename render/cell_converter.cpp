#include "render/cell_converter.h"

#include <algorithm>

#include "engine/frame.h"
namespace {

std::uint32_t channelOf(std::uint32_t color, int channel) { return color >> (8 * channel) & 0xFF; }

// Rounded division of a sum of at most six channel values by their count,
// as a multiply: with 2^16 / n + 1 the error stays below 1 / n for every
// such sum, so the result is exact.
std::uint32_t roundedMean(std::uint32_t sum, std::uint32_t count) {
    static constexpr std::uint32_t kReciprocal[7] = {0, 65537, 32769, 21846, 16385, 13108, 10923};
    return (sum + count / 2) * kReciprocal[count] >> 16;
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
    std::uint32_t total[3] = {0, 0, 0}, drawn[3] = {0, 0, 0};
    std::uint32_t drawnCount = 0;
    for (int i = 0; i < count; ++i) {
        const bool bright = channelOf(colors[i], widest) > middle;
        mask |= static_cast<unsigned>(bright) << i;
        drawnCount += bright;
        for (int c = 0; c < 3; ++c) {
            total[c] += channelOf(colors[i], c);
            drawn[c] += bright ? channelOf(colors[i], c) : 0;
        }
    }
    const auto restCount = static_cast<std::uint32_t>(count) - drawnCount;
    Cell cell{0, 0, static_cast<std::uint8_t>(mask)};
    for (int c = 0; c < 3; ++c) {
        cell.foreground |= roundedMean(drawn[c], drawnCount) << (8 * c);
        cell.background |= roundedMean(total[c] - drawn[c], restCount) << (8 * c);
    }
    return cell;
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
