#pragma once
// A tempo-synced ping-pong echo: each repeat crosses to the other side and
// comes back darker.
#include <vector>

#include "tools/gen/song/song_defaults.h"

class SongDelay {
public:
    // settings: beats (delay time), feedback (0..0.95), tone (loop low-pass Hz).
    SongDelay(const SongParams& settings, double secondsPerBeat);

    // Replaces left/right (the send) by the echoes, frames samples each.
    void process(float* left, float* right, long frames);

private:
    std::vector<float> lines_[2];
    long at_ = 0;
    float feedback_;
    float toneCoefficient_;
    float toneState_[2] = {0.0f, 0.0f};
};
