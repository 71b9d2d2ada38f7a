#pragma once
// The third scene: one photo window, chosen once, shown full screen as a
// slowly turning, breathing zoom. Four centres wander on Lissajous-like
// paths and the picture bulges and pinches around them; two travelling
// waves modulate the zoom and the brightness pulses in rings. It depends
// on the time alone, not on the music.
#include <memory>
#include <vector>

#include "engine/base.h"
#include "render/deform_grid.h"

class Kuvatus2 : public NORVALE_VIRELLO::Base {
public:
    Kuvatus2();

    void draw() override;

    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> gridTexture;  // 256 x 256, never changes after construction
};

// Writes the grid's row and column waves and every point for time t (ms).
void fillKuvatus2(DeformGrid& grid, float t);
