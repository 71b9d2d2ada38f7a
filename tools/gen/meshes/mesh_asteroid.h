#pragma once
// Lumpy, cratered asteroids for the show's mesh renderer: a subdivided
// icosahedron pushed in and out along its radii, so every face keeps the
// outward counter-clockwise winding of the icosahedron it came from.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/gen/gen_math.h"

namespace gen {

struct AsteroidShape {
    std::uint64_t seed = 1;
    int subdivisions = 3;            // 20 * 4^n faces
    float boundingRadius = 0.5f;     // largest vertex distance from the centre
    Vec3 stretch{1, 1, 1};           // overall elongation per axis
    float lumpAmount = 0.2f;         // fractal displacement, share of the radius
    float lumpFrequency = 1.5f;
    int lumpOctaves = 4;
    int craterCount = 10;
    float craterMinSize = 0.2f;      // angular radius in radians
    float craterMaxSize = 0.5f;
    float craterDepth = 0.3f;        // bowl depth relative to the crater's size
};

// One position, unit normal and texture coordinate per vertex (the show's
// loader pairs them by order); faces index vertices from 0.
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<float> u, v;
    std::vector<std::array<int, 3>> faces;
};

MeshData makeAsteroid(const AsteroidShape& shape);

// The mesh as "v", "vn", "vt" and "f a/a/a b/b/b c/c/c" lines (indices from 1).
std::string formatObj(const MeshData& mesh, const std::string& comment);

}  // namespace gen
