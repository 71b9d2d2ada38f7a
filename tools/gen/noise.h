#pragma once
// Seeded gradient noise and its fractal sums: the raw material of every
// landscape, cloud and rock texture in the pictures, and of the asteroids'
// rough shapes.
#include <array>
#include <cstdint>

namespace gen {

class GradientNoise {
public:
    explicit GradientNoise(std::uint64_t seed);

    // Gradient noise, roughly -1..1, smooth, zero at lattice points.
    float at(float x, float y) const;
    float at(float x, float y, float z) const;

    // Fractal sums normalised to roughly -1..1. Each octave is rotated so
    // that lattice directions do not line up across octaves.
    float fbm(float x, float y, int octaves, float gain = 0.5f) const;
    float fbm(float x, float y, float z, int octaves, float gain = 0.5f) const;
    // Sharp crests (0..1): the shape of eroded mountain ridges.
    float ridged(float x, float y, int octaves, float gain = 0.5f) const;

private:
    int corner(int x, int y) const { return perm_[(perm_[x & 255] + y) & 511]; }
    std::array<std::uint16_t, 512> perm_;
};

// Distances to the nearest and second-nearest scattered point of a jittered
// grid, the nearest point's position and an id for its cell: the pattern
// behind crystal facets.
struct CellSample {
    float nearest = 0;
    float second = 0;
    float pointX = 0, pointY = 0;
    std::uint32_t id = 0;
};
CellSample cellsAt(float x, float y, std::uint32_t seed);

}  // namespace gen
