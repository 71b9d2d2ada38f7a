#pragma once
// How the effects will hear the song: the engine's spectrum summed over
// bins 0..510 at the positions the show's frames look at it, and the beat
// table the song is tuned against (how often each block's threshold is
// crossed, and for how much of the time).
#include <string>
#include <vector>

constexpr int kCalibrationPositionsPerSecond = 60;

// The positions a show running at a given frame rate reads the spectrum at:
// offsetSeconds + i / positionsPerSecond, i = 0, 1, ...
struct SpectrumSampling {
    double positionsPerSecond = kCalibrationPositionsPerSecond;
    double offsetSeconds = 0.0;
};

// Spectrum sum at every position of the sampling up to the song's end: the
// analyser's window is the 1024 mono samples ending at sample
// floor(seconds * rate), silence before the start.
std::vector<float> measureSpectrumSums(const std::vector<float>& mono, int rate, const SpectrumSampling& sampling = {});

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

// Slower shows must still see every beat: the frame rates and phases whose
// rising edges per second must also stay inside each block's range.
const std::vector<SpectrumSampling>& slowFrameSamplings();

// Under the overlay that blacks out quiet frames the sum must stay high.
constexpr double kLoudStartSeconds = 49.0;
constexpr double kLoudEndSeconds = 100.0;
constexpr double kLoudMinMeanSum = 2.0;

// The highest threshold the effects use (a photo refresh): it should fire on
// the big hits only, so less often than each block's own threshold.
constexpr float kPeakThreshold = 0.95f;

// Valo's tunnel burns only while the energy stays above its threshold and
// goes black within 200 ms after it falls, so there the song must hold the
// energy up for most of every bar, with short dips that make it pulse, and
// pass the top threshold on the big hits that bring a photo in.
struct SustainRequirement {
    double startSeconds;
    double endSeconds;
    double barSeconds;
    float threshold;
    double minShareEachBar;   // 0..1, in every bar
    double maxGapSeconds;     // longest stretch at or under the threshold
    double minPeaksPerSecond; // rising edges over kPeakThreshold
    double maxPeaksPerSecond; // big hits, not every beat
    double maxPeakShare;      // 0..1 of the block over kPeakThreshold
};

const SustainRequirement& songSustainRequirement();

struct SustainMeasure {
    double share = 0.0;           // over the threshold, whole block
    double lowestBarShare = 0.0;
    double longestGapSeconds = 0.0;
    double peakEdgesPerSecond = 0.0;
    double peakShare = 0.0;
};

SustainMeasure measureSustain(const std::vector<float>& sums, const SustainRequirement& requirement,
                              const SpectrumSampling& sampling = {});
bool sustainHolds(const SustainRequirement& requirement, const SustainMeasure& measure);

struct BeatMeasure {
    double edgesPerSecond = 0.0;  // positions above that follow one that is not
    double shareAbove = 0.0;      // positions above / positions in the block
    double meanSum = 0.0;
};

// Over the sampling's positions from start (inclusive) to end (exclusive).
BeatMeasure measureBeats(const std::vector<float>& sums, double startSeconds, double endSeconds, float threshold,
                         const SpectrumSampling& sampling = {});

// One line per requirement (60 positions a second, then the slow frame
// rates) and the loudness line; ok tells whether all hold.
std::string calibrationReport(const std::vector<float>& mono, int rate, bool& ok);
