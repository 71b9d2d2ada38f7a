#pragma once
// Fades the scene into dark noise as the interval proceeds: at its start the
// picture stays, toward its end loud frames darken pixels at random.
#include "engine/base.h"

class Rytina3 : public NORVALE_VIRELLO::Base {
public:
    Rytina3(float divisor, bool unclamped);

    void draw() override;

    bool unclamped;
    float divisor;
};
