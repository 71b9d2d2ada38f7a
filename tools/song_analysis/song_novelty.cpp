#include "tools/song_analysis/song_novelty.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/spectrum.h"

namespace {

// Half-octave bands from 43 Hz up (spectrum bins of 43 Hz): a drum, a bass
// line or a pad entering moves several of them, a new chord only a few.
constexpr int kBandEdges[] = {1, 2, 3, 4, 6, 8, 11, 16, 22, 32, 45, 64, 90, 128, 181, 256, 362, 512};
constexpr int kBandCount = static_cast<int>(sizeof kBandEdges / sizeof kBandEdges[0]) - 1;
// Levels are first averaged over about a beat.
constexpr double kNoveltySmoothingSeconds = 0.5;
// Silence reads as this level, so a fade into it does not count as endless change.
constexpr double kFloorDb = -90.0;
// A peak must stand this many times above the curve's median, and move the
// bands by at least this many dB on average: a sound that never changes has
// no peaks at all, however its small wobbles compare with each other.
constexpr float kPeakOverMedian = 2.5f;
constexpr float kPeakMinimumDb = 1.5f;

using BandLevels = std::vector<std::vector<float>>;  // [frame][band], dB

BandLevels bandLevels(const std::vector<float>& mono, int rate, double hopSeconds) {
    BandLevels levels;
    SpectrumAnalyzer analyzer;
    std::vector<float> window(kSpectrumWindow), bins(kSpectrumBins);
    const long total = static_cast<long>(mono.size());
    for (long frame = 0;; ++frame) {
        // The window is centred on the frame's moment.
        const long centre = std::lround(static_cast<double>(frame) * hopSeconds * rate);
        if (centre > total) break;
        for (int i = 0; i < kSpectrumWindow; ++i) {
            const long sample = centre - kSpectrumWindow / 2 + i;
            window[i] = sample >= 0 && sample < total ? mono[sample] : 0.0f;
        }
        analyzer.analyze(window.data(), bins.data());
        std::vector<float> bands(kBandCount);
        for (int b = 0; b < kBandCount; ++b) {
            double energy = 0.0;
            for (int k = kBandEdges[b]; k < kBandEdges[b + 1]; ++k) energy += static_cast<double>(bins[k]) * bins[k];
            bands[b] = static_cast<float>(std::max(10.0 * std::log10(std::max(energy, 1e-30)), kFloorDb));
        }
        levels.push_back(std::move(bands));
    }
    return levels;
}

// Each band's level averaged over a centred stretch of `span` frames, so
// the single beats of a bar do not read as changes of the sound.
BandLevels smoothed(const BandLevels& levels, long span) {
    const long frames = static_cast<long>(levels.size());
    BandLevels out(frames, std::vector<float>(kBandCount, 0.0f));
    const long half = span / 2;
    for (long i = 0; i < frames; ++i) {
        const long first = std::max(0L, i - half), last = std::min(frames - 1, i + half);
        for (int b = 0; b < kBandCount; ++b) {
            double sum = 0.0;
            for (long j = first; j <= last; ++j) sum += levels[j][b];
            out[i][b] = static_cast<float>(sum / static_cast<double>(last - first + 1));
        }
    }
    return out;
}

float median(std::vector<float> values) {
    if (values.empty()) return 0.0f;
    const auto middle = values.begin() + static_cast<long>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

NoveltyCurve measureNovelty(const std::vector<float>& mono, int rate) {
    NoveltyCurve curve;
    if (rate <= 0 || mono.empty()) return curve;
    const BandLevels levels = smoothed(bandLevels(mono, rate, curve.hopSeconds),
                                       std::lround(kNoveltySmoothingSeconds / curve.hopSeconds));
    const long frames = static_cast<long>(levels.size());
    const long width = std::lround(kNoveltyWindowSeconds / curve.hopSeconds);
    curve.values.assign(frames, 0.0f);
    // Each window weighs its frames less the further they lie from the
    // moment (a triangle), so the curve peaks where the change happens and
    // not where a fill or a riser half a window away tips the balance.
    std::vector<double> weights(width);
    double weightSum = 0.0;
    for (long j = 0; j < width; ++j) weightSum += weights[j] = static_cast<double>(width - j);
    for (long i = width; i + width <= frames; ++i) {
        double change = 0.0;
        for (int b = 0; b < kBandCount; ++b) {
            double difference = 0.0;
            for (long j = 0; j < width; ++j) difference += weights[j] * (levels[i + j][b] - levels[i - 1 - j][b]);
            change += std::fabs(difference) / weightSum;
        }
        curve.values[i] = static_cast<float>(change / kBandCount);
    }
    return curve;
}

std::vector<NoveltyPeak> findNoveltyPeaks(const NoveltyCurve& curve) {
    std::vector<NoveltyPeak> peaks;
    const std::vector<float>& v = curve.values;
    const long count = static_cast<long>(v.size());
    std::vector<float> measured;
    for (float value : v)
        if (value > 0.0f) measured.push_back(value);
    const float floor = std::max(kPeakOverMedian * median(measured), kPeakMinimumDb);
    const long reach = std::lround(kNoveltyWindowSeconds / curve.hopSeconds);
    for (long i = 0; i < count; ++i) {
        if (!(v[i] > floor)) continue;
        bool highest = true;
        for (long j = std::max(0L, i - reach); j <= std::min(count - 1, i + reach) && highest; ++j)
            // Ties go to the earliest point, so a flat top gives one peak.
            highest = v[j] < v[i] || (v[j] == v[i] && j >= i);
        if (highest) peaks.push_back({static_cast<double>(i) * curve.hopSeconds, v[i]});
    }
    return peaks;
}

std::vector<BoundaryMatch> matchBoundaries(const std::vector<NoveltyPeak>& peaks,
                                           const std::vector<double>& boundarySeconds) {
    std::vector<BoundaryMatch> matches;
    for (double boundary : boundarySeconds) {
        BoundaryMatch match;
        match.boundarySeconds = boundary;
        for (const NoveltyPeak& peak : peaks) {
            const double distance = std::fabs(peak.seconds - boundary);
            if (!match.found || distance < match.distanceSeconds) {
                match.found = true;
                match.peakSeconds = peak.seconds;
                match.distanceSeconds = distance;
                match.peakValue = peak.value;
            }
        }
        matches.push_back(match);
    }
    return matches;
}

const std::vector<double>& sceneChangeSeconds() {
    static const std::vector<double> changes = {49.0, 81.5, 100.0, 122.0, 150.0, 162.0,
                                                193.0, 223.0, 243.0, 273.2, 303.0};
    return changes;
}

std::string noveltyReport(const std::vector<NoveltyPeak>& peaks, bool& ok) {
    std::string report = "novelty peaks (s):";
    char text[160];
    for (const NoveltyPeak& peak : peaks) {
        std::snprintf(text, sizeof text, " %.2f", peak.seconds);
        report += text;
    }
    report += "\n";
    ok = true;
    for (const BoundaryMatch& match : matchBoundaries(peaks, sceneChangeSeconds())) {
        ok = ok && match.within();
        if (match.found)
            std::snprintf(text, sizeof text, "scene change %6.1f s: nearest peak %7.2f s (%+.2f s, novelty %.2f)  %s\n",
                          match.boundarySeconds, match.peakSeconds, match.peakSeconds - match.boundarySeconds,
                          match.peakValue, match.within() ? "ok" : "MISS");
        else
            std::snprintf(text, sizeof text, "scene change %6.1f s: no peak  MISS\n", match.boundarySeconds);
        report += text;
    }
    return report;
}
