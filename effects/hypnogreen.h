#pragma once
// Hypnogreen: an overlay that tints the whole frame green on loud beats
// (energy above 0.65); the tint fades out within 100 ms of song time.
#include "engine/base.h"

class Hypnogreen : public NORVALE_VIRELLO::Base {
public:
    Hypnogreen() = default;
    void draw() override;

    float flash = 0.0f;  // 1 at a beat, falling 0.01 per ms

    // Shared by every instance for the whole run.
    static inline int lastPosition = 0;
};
