#pragma once
// Rauha: a slowly turning, rippling lens over a photo window, with two
// scrolling traces of the spectrum that fade in to white over the first
// third of the scene. A beat (energy above 0.5) deals a new photo window.
#include <memory>
#include <vector>

#include "engine/base.h"

class DeformGrid;

class Rauha : public NORVALE_VIRELLO::Base {
public:
    Rauha();
    ~Rauha() override;
    void draw() override;

    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> gridTexture;  // 256 x 256 photo window

private:
    void drawTraces(const float* spectrum, int position, unsigned int* frame) const;
};
