#pragma once
// The song as samples, in the two shapes the generator and the capture tool
// meet it: the synthesiser's stereo mix before encoding, and the decoded
// file as the show's engine hears it.
#include <vector>

// The synthesiser's one sample rate.
constexpr int kSongRate = 44100;

// Left and right apart, kSongRate samples a second each.
struct SongAudio {
    std::vector<float> left;
    std::vector<float> right;
    long frames() const { return static_cast<long>(left.size()); }
};

struct DecodedSong {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved, frames * channels
    long frames() const { return channels ? static_cast<long>(samples.size()) / channels : 0; }
};

// Mono samples (left + right) / 2 of interleaved audio.
std::vector<float> monoMix(const std::vector<float>& interleaved, int channels);
