#include "platform/sixel_console.h"

#include <algorithm>
#include <cstdio>

#include "platform/terminal_size.h"

namespace {

constexpr int kGuessedCellWidth = 10;
constexpr int kGuessedCellHeight = 20;
constexpr int kBandRows = 6;
// Sixel display mode reset: images start at the cursor (and may scroll).
constexpr std::string_view kDrawAtCursor = "\x1b[?80l";
constexpr std::string_view kDrawAtTopLeft = "\x1b[?80h";

}  // namespace

SixelPlacement placeSixelImage(int columns, int rows, PixelSize pixels, PixelSize limit) {
    columns = boundedCells(columns);
    rows = boundedCells(rows);
    if (!pixels.known()) pixels = {columns * kGuessedCellWidth, rows * kGuessedCellHeight};
    const long long cellWidth = std::max(pixels.width / columns, 1);
    const long long cellHeight = std::max(pixels.height / rows, 1);
    // The bottom row stays free: an image that reaches it makes some
    // terminals scroll.
    const long long spaceWidth = cellWidth * columns;
    const long long spaceHeight = cellHeight * std::max(rows - 1, 1);
    long long width = std::min({spaceWidth, spaceHeight * 8 / 5, 1LL * kLargestSixelWidth});
    if (limit.known()) width = std::min<long long>({width, limit.width, limit.height * 8LL / 5});
    long long height = width * 5 / 8 / kBandRows * kBandRows;
    if (height < kBandRows) height = kBandRows;
    width = std::max(height * 8 / 5, 1LL);
    SixelPlacement placement;
    placement.width = static_cast<int>(width);
    placement.height = static_cast<int>(height);
    placement.column = static_cast<int>(std::max(0LL, (spaceWidth - width) / 2 / cellWidth));
    placement.row = static_cast<int>(std::max(0LL, (spaceHeight - height) / 2 / cellHeight));
    return placement;
}

SixelConsole::SixelConsole(int framesPerSecond, const TerminalReplies& replies)
    : TerminalConsole(framesPerSecond, replies), encoder_(paletteForRegisters(replies.colorRegisters)) {}

std::string SixelConsole::enterBytes() const { return std::string(kDrawAtCursor); }

std::string SixelConsole::leaveBytes() const {
    return std::string(replies().sixelDisplayMode ? kDrawAtTopLeft : kDrawAtCursor);
}

void SixelConsole::fit(const TerminalSize& size) {
    placement_ = placeSixelImage(size.columns, size.rows, windowPixels(size), replies().sixelLimit);
    clear_ = true;
}

void appendSixelInPlace(std::string& out, const SixelPlacement& placement, std::string_view image) {
    char cursor[32];
    const int length =
        std::snprintf(cursor, sizeof cursor, "\x1b" "7\x1b[%d;%dH", placement.row + 1, placement.column + 1);
    out.append(cursor, static_cast<std::size_t>(length));
    out += image;
    out += "\x1b" "8";
}

std::string_view SixelConsole::encode(const PixelView& frame, std::string_view title) {
    picture_.clear();
    appendSixelInPlace(picture_, placement_, encoder_.encodeFrame(frame, placement_.width, placement_.height));
    bytes_.clear();
    appendFramed(bytes_, {replies().synchronizedUpdate, clear_, title}, picture_);
    clear_ = false;
    return bytes_;
}
