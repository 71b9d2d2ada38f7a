#pragma once
// The one frame every effect draws into, and the square textures they map.
//
// The frame is 32-bit pixels, red in bits 0-7, green in 8-15, blue in 16-23,
// rows from the top. Its size is fixed: every effect's animation is tuned to
// it, so nothing scales it; the console layer and the capture tool fit the
// finished frame to their own output.

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 200;
// Pixels from one row to the next: rows follow each other with no gap.
constexpr int kFrameStride = kFrameWidth;
constexpr int kFramePixels = kFrameStride * kFrameHeight;
constexpr int kFrameBytesPerRow = kFrameStride * 4;

// Grid, mesh and sprite textures are 256 x 256 so that a texel index is two
// bytes of the fixed-point coordinates and wraps with a mask, never a modulo.
constexpr int kTextureSide = 256;
constexpr int kTexturePixels = kTextureSide * kTextureSide;

// Perspective projection shared by the mesh renderer and the flare clouds:
// column = kProjectionScale * x / z + kFrameCentreX, row likewise with y and
// kFrameCentreY. A scale near the frame's width gives a field of view of
// about 64 degrees across, wide enough for objects that fly past.
constexpr int kProjectionScale = 256;
constexpr int kFrameCentreX = kFrameWidth / 2;
constexpr int kFrameCentreY = kFrameHeight / 2;

// The texture side as a float, for coordinates computed in floats.
constexpr float kTextureSideF = static_cast<float>(kTextureSide);
