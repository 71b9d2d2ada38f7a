#pragma once
// The feedback effects (Tunnel, Zoom, Valo) map a square crop of their own
// picture back onto the next frame or onto their mesh.
#include "engine/frame.h"

// Copies the middle 256 columns (32..287) of a frame-sized picture into a
// 256 x 256 texture. The picture has only 200 rows, so texture rows 200..255
// repeat picture rows 0..55.
inline void copyFrameMiddle(const unsigned int* picture, unsigned int* texture) {
    constexpr int kFirstColumn = (kFrameWidth - kTextureSide) / 2;
    for (int row = 0; row < kTextureSide; ++row) {
        const unsigned int* source = picture + (row % kFrameHeight) * kFrameStride + kFirstColumn;
        unsigned int* destination = texture + row * kTextureSide;
        for (int column = 0; column < kTextureSide; ++column) destination[column] = source[column];
    }
}
