#pragma once
// The plain C++ twins of the routines that have an SSE2 path. A build
// without SSE2 (VG_SIMD off, or a processor that lacks it) uses them
// everywhere; a build with it keeps them, so tests can prove that both
// paths give the same bits.

#include "render/simd.h"

struct GridPoint;

namespace plain {

void blitScaledAdd(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination);
void blitScaledSub(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination);
void blitScaledAddFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                       const unsigned int* source, unsigned int* destination, int w);
void blur4(int width, int height, unsigned int* buffer);
void drawCellShaded(int column, int row, const GridPoint* points, const unsigned int* texture,
                    unsigned int* target);
void drawCellHalfBlend(int column, int row, const GridPoint* points, const unsigned int* texture,
                       unsigned int* target);

}  // namespace plain
