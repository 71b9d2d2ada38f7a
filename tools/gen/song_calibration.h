#pragma once
// How the effects will hear the song: the engine's spectrum summed over
// bins 0..510 at 60 positions a second, and the beat table the song is
// tuned against (how often each block's threshold is crossed, and for how
// much of the time).
#include <string>
#include <vector>

constexpr int kCalibrationPositionsPerSecond = 60;

// Mono samples (left + right) / 2 of interleaved audio.
std::vector<float> monoMix(const std::vector<float>& interleaved, int channels);

// Spectrum sum at positions i / 60 s, i = 0, 1, ... up to the song's end:
// the analyser's window is the 1024 mono samples ending at sample
// floor(ms * rate / 1000), silence before the start.
std::vector<float> measureSpectrumSums(const std::vector<float>& mono, int rate);

struct BeatRequirement {
    double startSeconds;
    double endSeconds;
    float threshold;       // on sum / 5, as the effects compare it
    double minEdgesPerSecond;
    double maxEdgesPerSecond;
    double maxShareAbove;  // 0..1
};

// The blocks whose effects react to beats.
const std::vector<BeatRequirement>& songBeatRequirements();

// Under the overlay that blacks out quiet frames the sum must stay high.
constexpr double kLoudStartSeconds = 49.0;
constexpr double kLoudEndSeconds = 100.0;
constexpr double kLoudMinMeanSum = 2.0;

struct BeatMeasure {
    double edgesPerSecond = 0.0;  // frames above that follow one that is not
    double shareAbove = 0.0;      // frames above / frames in the block
    double meanSum = 0.0;
};

// Over the positions from start (inclusive) to end (exclusive).
BeatMeasure measureBeats(const std::vector<float>& sums, double startSeconds, double endSeconds, float threshold);

// One line per requirement and the loudness line; ok tells whether all hold.
std::string calibrationReport(const std::vector<float>& sums, bool& ok);
