#pragma once
// A plate-like stereo reverb: parallel damped comb filters feeding a chain
// of all-pass diffusers, with the right channel's delays a little longer
// than the left's so the tail spreads across the stereo field.
#include <vector>

#include "tools/gen/song/song_defaults.h"

class SongReverb {
public:
    // settings: room (0..1, tail length), damp (0..1, darkening), width (0..1).
    explicit SongReverb(const SongParams& settings);

    // Replaces left/right (the send) by the wet signal, frames samples each.
    void process(float* left, float* right, long frames);

private:
    struct Comb {
        std::vector<float> line;
        long at = 0;
        float state = 0.0f;
    };
    struct AllPass {
        std::vector<float> line;
        long at = 0;
    };

    float processChannel(float input, std::vector<Comb>& combs, std::vector<AllPass>& passes);

    std::vector<Comb> combs_[2];
    std::vector<AllPass> passes_[2];
    float feedback_;
    float damp_;
    float width_;
};
