#pragma once
// Grey speckle that follows the music: the louder the frame, the stronger
// the random grey added to every pixel of the finished scene.
#include "engine/base.h"

class Rytina : public NORVALE_VIRELLO::Base {
public:
    // A larger divisor makes the shake weaker; unclamped adds the grey as a
    // plain sum that carries between channels (coloured glitches).
    Rytina(float divisor, bool unclamped);

    void draw() override;

    bool unclamped;
    float divisor;
};
