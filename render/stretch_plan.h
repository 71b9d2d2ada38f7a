#pragma once
// A stretched sprite row, four columns at a time, for processors that can
// shuffle bytes. Where a scaled draw steps through its source by at most
// one texel a column (a step of at most 256 in 24.8), any four neighbouring
// columns read texels that lie within four neighbouring source pixels: one
// 16-byte load from the first of those and one byte shuffle give all four.
// The load's place and the shuffle depend on the columns only, never on
// the row, so a draw works them out once and uses them on every row.
//
// WebAssembly's SIMD has the shuffle (i8x16.swizzle); SSE2 has none, and
// its build reads the four texels one by one (render/pixel_ops.cpp).
#include <cstdint>

#include "engine/frame.h"

struct StretchPlan {
    // Drawn rows stop one short of the frame's right edge: at most 319
    // columns, 79 whole groups of four.
    static constexpr int kMaxGroups = (kFrameWidth - 1) / 4;

    int groups = 0;                // whole groups of four columns; the rest go one by one
    int first[kMaxGroups];         // per group: the source pixel its load starts at
    std::uint8_t lanes[kMaxGroups][16];  // per group: for each byte out, the byte loaded
};

// Whether a draw from a source `srcWidth` pixels wide, stepping `stepX`
// (24.8) a column, can be planned: the step is at most one texel, and the
// source holds the four pixels one load reads.
bool canStretch(int srcWidth, std::int64_t stepX);

// The plan for `width` (0..319) columns, the first reading the source at
// `columnStart` (24.8), each next one `stepX` further on; canStretch must
// hold. Every load stays inside the source row.
void planStretch(std::int64_t columnStart, std::int64_t stepX, int width, int srcWidth,
                 StretchPlan& plan);
