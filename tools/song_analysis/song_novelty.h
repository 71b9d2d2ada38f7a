#pragma once
// Where the song changes: a novelty curve that compares the sound of the two
// seconds before each moment with the two seconds after it, its peaks, and
// how those peaks line up with the moments the picture changes scene. The
// generator prints it, the content tests check it and the capture tool's
// statistics report it, all from this one measure.
#include <string>
#include <vector>

constexpr double kNoveltyHopSeconds = 0.05;
constexpr double kNoveltyWindowSeconds = 2.0;
// A change counts as heard at a scene change when a peak lies this close.
constexpr double kBoundaryToleranceSeconds = 0.5;

struct NoveltyCurve {
    double hopSeconds = kNoveltyHopSeconds;
    // Value i belongs to the moment i * hopSeconds: the mean over frequency
    // bands of how far the band's level (dB) moved between the window before
    // and the window after. 0 where either window would leave the song.
    std::vector<float> values;
};

// mono: the song's mono mix at the given rate.
NoveltyCurve measureNovelty(const std::vector<float>& mono, int rate);

struct NoveltyPeak {
    double seconds = 0.0;
    float value = 0.0f;
};

// Clear changes only: the highest point within a window's length on either
// side that also stands well above the curve's usual level (its median) and
// above a fixed floor, so the chord changes inside a section and the small
// wobbles of a steady sound do not count as section changes.
std::vector<NoveltyPeak> findNoveltyPeaks(const NoveltyCurve& curve);

struct BoundaryMatch {
    double boundarySeconds = 0.0;
    bool found = false;          // a peak exists at all
    double peakSeconds = 0.0;    // the nearest peak
    double distanceSeconds = 0.0;
    float peakValue = 0.0f;

    bool within(double tolerance = kBoundaryToleranceSeconds) const {
        return found && distanceSeconds <= tolerance;
    }
};

// The nearest peak to each boundary, in the boundaries' order.
std::vector<BoundaryMatch> matchBoundaries(const std::vector<NoveltyPeak>& peaks,
                                           const std::vector<double>& boundarySeconds);

// The peaks and one line per scene change (its nearest peak, ok or MISS);
// ok tells whether every scene change has a peak within the tolerance.
std::string noveltyReport(const std::vector<NoveltyPeak>& peaks, bool& ok);

// The song positions at which the show's picture changes scene (the starts
// of the schedule's blocks after the first), the song's form follows them.
const std::vector<double>& sceneChangeSeconds();
