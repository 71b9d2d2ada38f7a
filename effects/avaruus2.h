#pragma once
// Avaruus2: a tumbling cloud of 100 light flares over a rippling grey
// picture. Flares appear one after another (their number grows with the
// square of the progress) and swell with the loudness of the music.
#include <memory>
#include <vector>

#include "engine/base.h"
#include "engine/vector.h"

class DeformGrid;

class Avaruus2 : public NORVALE_VIRELLO::Base {
public:
    Avaruus2();
    ~Avaruus2() override;
    void draw() override;

    int flareCount = 100;
    std::vector<NORVALE_VIRELLO::Vector3> flarePositions;
    std::vector<float> flareSizes;
    std::vector<NORVALE_VIRELLO::Vector3> flareRotated;
    NORVALE_VIRELLO::Vector3 angles;
    NORVALE_VIRELLO::Vector3 angleStep;
    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> greyTexture;  // 256 x 256 inverted grey photo

    // Shared by every instance for the whole run.
    static inline int lastPosition = 0;  // song position at the previous frame
    static inline int stepClock = 0;     // ms not yet turned into rotation steps

    void rotateFlares();
    void drawFlares(float progress, float energy, unsigned int* frame) const;

private:
    void makeGreyTexture();
};
