#include "platform/terminal_size.h"

#include <algorithm>

int boundedCells(long long count) {
    return static_cast<int>(std::clamp<long long>(count, 1, kMostTerminalCells));
}

PixelSize boundedPixels(long long width, long long height, int most) {
    if (width <= 0 || height <= 0) return {};
    return {static_cast<int>(std::min<long long>(width, most)),
            static_cast<int>(std::min<long long>(height, most))};
}
