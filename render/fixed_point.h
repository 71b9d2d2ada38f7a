#pragma once
// The fixed-point formats the drawing code keeps its fractions in. A value
// with F fraction bits is whole << F plus the fraction; the helpers below
// are named by F, whatever integer type carries the value.

#include <cstdint>

// Eight fraction bits (24.8 in 32 bits, or wider): grid texture coordinates
// and levels, sprite sampling steps and travel, the mesh's textured spans.
// Eight bits are all a 256-texel texture or a 0..255 level can show, and
// they leave the whole part in the second byte, so the grid finds a texel
// with a mask instead of a divide. Grid values are unsigned so that
// coordinates past the texture wrap with defined arithmetic.
using Fixed24_8 = std::uint32_t;

inline Fixed24_8 toFixed24_8(int whole) { return static_cast<Fixed24_8>(whole) * 256u; }

// The whole part, rounded toward minus infinity (an arithmetic shift).
template <typename Integer>
constexpr Integer wholeOfFraction8(Integer value) {
    return value >> 8;
}

// Sixteen fraction bits: the zoom's source steps and the mesh's edge walk.
// A magnification of about 1.081 spread over 320 columns, or an edge's slope
// over 200 rows, needs more than eight fraction bits, or the far end would
// drift by whole pixels.
template <typename Integer>
constexpr Integer wholeOfFraction16(Integer value) {
    return value >> 16;
}
