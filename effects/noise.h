#pragma once
// Grey speckle over the finished scene: every pixel gets its own random grey
// value added, the same strength over the whole interval.
#include "engine/base.h"

class Noise : public NORVALE_VIRELLO::Base {
public:
    // The grey values added lie in 0 .. amplitude - 1.
    explicit Noise(int amplitude);

    void draw() override;

    int amplitude;
};
