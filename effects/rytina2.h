#pragma once
// The scene shows only in step with loud sound: every pixel is pulled toward
// black in quiet frames and toward white (and beyond, into wrapped colours)
// in loud ones, by a random amount per pixel.
#include "engine/base.h"

class Rytina2 : public NORVALE_VIRELLO::Base {
public:
    Rytina2(float divisor, bool unclamped);

    void draw() override;

    bool unclamped;
    float divisor;
};
