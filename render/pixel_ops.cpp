#include "render/pixel_ops.h"

#include <algorithm>
#include <cstdint>

namespace {

// The walk every sprite draw shares; `combine(destinationPixel, sourcePixel)`
// gives the pixel to write. Sizes are checked before any division, and the
// setup runs in 64 bits so that far-off positions cannot overflow; inside the
// clipped rectangle the 8.8 source accumulators stay below size * 256.
template <typename Combine>
void walkSprite(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                const unsigned int* source, unsigned int* destination, Combine combine) {
    // A source of negative size has no pixels to read; treating it like an
    // empty one keeps the accumulators from walking backwards out of it.
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;
    const std::int64_t left = x;
    const std::int64_t top = y;
    if (top + dstHeight <= 0 || top >= kScreenHeight) return;
    if (left + dstWidth <= 0 || left >= kScreenWidth) return;

    const std::int64_t stepY = std::int64_t{srcHeight} * 256 / dstHeight;
    const std::int64_t stepX = std::int64_t{srcWidth} * 256 / dstWidth;
    const std::int64_t rowBegin = std::max<std::int64_t>(top, 0);
    const std::int64_t rowEnd = std::min<std::int64_t>(top + dstHeight, kScreenHeight - 1);
    const std::int64_t columnBegin = std::max<std::int64_t>(left, 0);
    const std::int64_t columnEnd = std::min<std::int64_t>(left + dstWidth, kScreenWidth - 1);

    std::int64_t rowAccumulator = (rowBegin - top) * stepY;
    const std::int64_t columnStart = (columnBegin - left) * stepX;
    for (std::int64_t row = rowBegin; row < rowEnd; ++row) {
        const unsigned int* sourceRow = source + (rowAccumulator >> 8) * srcWidth;
        unsigned int* destinationRow = destination + row * kScreenWidth;
        std::int64_t columnAccumulator = columnStart;
        for (std::int64_t column = columnBegin; column < columnEnd; ++column) {
            destinationRow[column] =
                combine(destinationRow[column], sourceRow[columnAccumulator >> 8]);
            columnAccumulator += stepX;
        }
        rowAccumulator += stepY;
    }
}

}  // namespace

void blitScaledAdd(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination) {
    walkSprite(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
               [](unsigned int d, unsigned int s) { return addSaturate(d, s); });
}

void blitScaledSub(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination) {
    walkSprite(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
               [](unsigned int d, unsigned int s) { return subSaturate(d, s); });
}

void blitScaled(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                const unsigned int* source, unsigned int* destination) {
    walkSprite(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
               [](unsigned int, unsigned int s) { return s; });
}

void blitScaledAddFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                       const unsigned int* source, unsigned int* destination, int w) {
    walkSprite(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
               [w](unsigned int d, unsigned int s) { return blendColor(d, addSaturate(d, s), w); });
}

void blur4(int width, int height, unsigned int* buffer) {
    // Two negative sizes multiply to a positive count, but describe no
    // buffer; they are treated like any other empty area.
    if (width <= 0 || height <= 0) return;
    const std::int64_t count = std::int64_t{width} * height;
    if (count <= 642) return;
    const std::int64_t first = 322;
    const std::int64_t last = count - 321;
    // Red and blue are summed together and green alone: four 8-bit values
    // need ten bits, which the gaps of the two masks leave room for. The
    // left neighbour is the pixel just written, kept in registers.
    unsigned int leftRedBlue = buffer[first - 1] & kRedBlueMask;
    unsigned int leftGreen = buffer[first - 1] & kGreenMask;
    for (std::int64_t i = first; i <= last; ++i) {
        const unsigned int up = buffer[i - kScreenWidth];
        const unsigned int down = buffer[i + kScreenWidth];
        const unsigned int right = buffer[i + 1];
        const unsigned int otherRedBlue =
            (up & kRedBlueMask) + (down & kRedBlueMask) + (right & kRedBlueMask);
        const unsigned int otherGreen = (up & kGreenMask) + (down & kGreenMask) + (right & kGreenMask);
        leftRedBlue = (otherRedBlue + leftRedBlue) >> 2 & kRedBlueMask;
        leftGreen = (otherGreen + leftGreen) >> 2 & kGreenMask;
        buffer[i] = leftRedBlue | leftGreen;
    }
}
