#pragma once
// The feedback effects (Tunnel, Zoom, Valo) map a square crop of their own
// picture back onto the next frame or onto their mesh.

// Copies the middle 256 columns (32..287) of a 320 x 200 picture into a
// 256 x 256 texture. The picture has only 200 rows, so texture rows 200..255
// repeat picture rows 0..55.
inline void copyFrameMiddle(const unsigned int* picture, unsigned int* texture) {
    constexpr int kSide = 256;
    constexpr int kFirstColumn = 32;
    for (int row = 0; row < kSide; ++row) {
        const unsigned int* source = picture + (row % 200) * 320 + kFirstColumn;
        unsigned int* destination = texture + row * kSide;
        for (int column = 0; column < kSide; ++column) destination[column] = source[column];
    }
}
