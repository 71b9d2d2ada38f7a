#pragma once
// Integer scan conversion for the mesh renderer, on frame-sized pictures of
// 32-bit pixels (engine/frame.h). Also used directly by tests.
#include <cstdint>

#include "render/mesh.h"

// Fills columns min(x1,x2) .. max(x1,x2) - 1 of row y, clipped to the screen.
void fillSpan(int x1, int x2, int y, std::uint32_t colour, std::uint32_t* frameBuffer);
// A solid triangle from the corners' screenX/screenY.
void fillTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                  std::uint32_t colour, std::uint32_t* frameBuffer);
// An affine textured span on row y with (u, v) given at both ends; writes
// only rows 5..195 and columns 1..318 of the frame. Texels are 256 x 256,
// wrapped.
void textureSpan(int x1, int x2, int y, int u1, int u2, int v1, int v2,
                 const std::uint32_t* texels, std::uint32_t* frameBuffer);
// An affine textured triangle from the corners' screen and texture coordinates.
void textureTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c,
                     const std::uint32_t* texels, std::uint32_t* frameBuffer);
