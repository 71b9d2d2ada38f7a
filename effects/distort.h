#pragma once
// A full-screen twirl of a random photo window, pulsed by the music. The
// screen turns as a whole with time and spin, and twists around its centre
// by an angle that grows with the distance from the centre and with the
// flash. A beat (energy above 0.65) grabs a new window, sets the flash to
// full and draws a new spin; between beats the flash fades.
#include <memory>
#include <vector>

#include "engine/base.h"
#include "render/deform_grid.h"

class Distort : public NORVALE_VIRELLO::Base {
public:
    Distort();
    ~Distort() override;

    void draw() override;

    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> gridTexture;  // 256 x 256 photo window
    float flash = 0.0f;                     // 1 at a beat, falling 0.005 per ms
    float spin = 0.0f;                      // signed, magnitude in [0.5, 1) after a beat

    // Song position of the previous frame of any Distort, for the whole run.
    static inline int lastPosition = 0;
};

// Writes every point of the grid for time t (ms), the flash and the spin.
void fillDistort(DeformGrid& grid, float t, float flash, float spin);
