#pragma once
// How far an effect is through its scheduled interval: 0 at startTime, 1 at
// endTime. The interval length is taken on the unsigned times and the
// quotient is single precision, as every effect's animation expects.
#include "engine/base.h"

inline float intervalProgress(const NORVALE_VIRELLO::Base& effect) {
    const float sinceStart = effect.time - static_cast<float>(effect.startTime);
    return sinceStart / static_cast<float>(effect.endTime - effect.startTime);
}
