#pragma once
// Valo: a feedback tunnel of light. Every grid point casts a ray onto an
// undulating tube; the texture is the previous frame's own middle, which
// starts as a photo window and takes a fresh one on every strong beat
// (energy above 0.95). Dim (level 20) until a beat (energy above 0.75)
// lights the far end; the light then feeds back and fades. From 266000 ms a
// mesh flies in, mirroring the same texture. The show runs two independent
// instances back to back.
#include <memory>
#include <vector>

#include "engine/base.h"

class DeformGrid;
class Mesh;

class Valo : public NORVALE_VIRELLO::Base {
public:
    Valo();
    ~Valo() override;
    void draw() override;

    std::unique_ptr<DeformGrid> grid;
    std::vector<unsigned int> photoBuffer;  // 256 x 256, dealt on strong beats
    float flash = 0.0f;                     // 1 at a beat, falling 0.005 per ms
    std::unique_ptr<Mesh> mesh;
    std::vector<unsigned int> feedbackTexture;  // 256 x 256 crop of the last frame

    // One value for both instances: the second measures its first frame
    // from the first one's last.
    static inline int lastPosition = 0;

    void fillValo(float t, float flashLevel);
};
