#pragma once
// Tunnel: a flight through a wavy tube lined with a photo window. Every grid
// point casts a ray from a swaying camera onto a tube whose radius varies
// around the axis; bright rings travel along it and the far end fades to
// black. A loud beat (energy above 0.75) deals a new photo and shakes the
// camera; from 175000 ms a mesh flies in, mirroring the tunnel itself.
#include <memory>
#include <vector>

#include "engine/base.h"

class DeformGrid;
class Mesh;

class Tunnel : public NORVALE_VIRELLO::Base {
public:
    Tunnel();
    ~Tunnel() override;
    void draw() override;

    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> gridTexture;  // 256 x 256 photo window lining the tube
    float flash = 0.0f;                     // 1 at a beat, falling 0.005 per ms
    std::unique_ptr<Mesh> mesh;
    std::vector<unsigned int> meshTexture;  // 256 x 256 crop of this frame

    // Shared by every instance for the whole run.
    static inline int lastPosition = 0;

    void fillTunnel(float t, float flashLevel);
};
