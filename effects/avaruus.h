#pragma once
// Avaruus: a tumbling, slowly expanding cloud of 80 light flares with a
// magenta cast. It does not listen to the music; it moves with song time.
#include <vector>

#include "engine/base.h"
#include "engine/vector.h"

class Avaruus : public NORVALE_VIRELLO::Base {
public:
    Avaruus();
    void draw() override;

    int flareCount = 80;
    std::vector<NORVALE_VIRELLO::Vector3> flarePositions;  // drift every step
    std::vector<float> flareSizes;
    std::vector<NORVALE_VIRELLO::Vector3> flareRotated;
    std::vector<NORVALE_VIRELLO::Vector3> flareVelocities;  // unit drift directions
    NORVALE_VIRELLO::Vector3 angles;
    NORVALE_VIRELLO::Vector3 angleStep;

    // Shared by every instance for the whole run (apart from Avaruus2's).
    static inline int lastPosition = 0;
    static inline int stepClock = 0;

    void driftFlares();
    void drawFlares(unsigned int* frame) const;
};
