#pragma once
// The pixel operations the effects share: saturating byte arithmetic,
// colour mixes, scaled sprite draws into a frame-sized picture, an in-place
// blur and random photo windows. Pixels are 32-bit, red in bits 0-7, green
// in 8-15, blue in 16-23. Nothing here keeps state between calls.
#include <cstdint>

#include "engine/frame.h"
#include "render/color_mix.h"
#include "render/photo_window.h"
#include "render/saturate.h"

// Scaled sprite draws. The srcWidth x srcHeight source is stretched to
// dstWidth x dstHeight with its top-left corner at (x, y) of a frame-sized
// destination (engine/frame.h), stepping through the source in 24.8 fixed
// point (scaledStep below). Clipping stops one short of the right and bottom edges: the last
// column and row are never written. A zero or negative size draws nothing.
void blitScaledAdd(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination);
void blitScaledSub(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination);
void blitScaled(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                const unsigned int* source, unsigned int* destination);
// Adds the sprite, then keeps weight w of the old pixel: w = 0 shows the
// added sprite, w = 255 the old picture (both at 255/256).
void blitScaledAddFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                       const unsigned int* source, unsigned int* destination, int w);

// The source step of a scaled draw, 24.8 fixed point: srcSize * 256 / dstSize.
inline std::int64_t scaledStep(int srcSize, int dstSize) { return std::int64_t{srcSize} * 256 / dstSize; }

// The source row (or column) a scaled draw reads for its k-th drawn row
// (column), 0 <= k < dstSize: the same whatever the position and clipping,
// so a caller can make just the texels a draw of that size will read.
inline int scaledSourceIndex(int k, int srcSize, int dstSize) {
    return static_cast<int>(k * scaledStep(srcSize, dstSize) >> 8);
}

// In-place average of the four neighbours over the first width * height
// pixels of a buffer whose rows are kFrameStride pixels apart whatever the
// width: a pixel's neighbours are the pixels 1 and kFrameStride before and
// after it. Runs from index kFrameStride + 2 to width * height -
// kFrameStride - 1 in order, so the up and left neighbours are already
// blurred by this pass; a pixel at the end of a frame row takes the next
// row's first as its right neighbour. Fewer than 2 * kFrameStride + 3
// pixels are left alone.
void blur4(int width, int height, unsigned int* buffer);
