#pragma once
// The master's true-peak limiter. Peaks are found on a 4x oversampled view
// of the signal, because the waveform between samples (what a decoder or a
// converter rebuilds) can rise above every sample; the gain that holds them
// under the ceiling ramps down ahead of each peak and recovers smoothly.
#include <vector>

// Highest absolute value of the channel seen at 4x oversampling.
float truePeak(const std::vector<float>& channel);

struct LimiterSettings {
    float ceiling = 0.8f;          // linear, for the oversampled peak
    int lookahead = 64;            // samples over which the gain ramps down
    float releaseSeconds = 0.08f;  // time constant of the recovery
};

// Limits left and right together (one gain for both keeps the image).
// Afterwards truePeak() of each channel is at most the ceiling.
void limitTruePeak(std::vector<float>& left, std::vector<float>& right, const LimiterSettings& settings);
