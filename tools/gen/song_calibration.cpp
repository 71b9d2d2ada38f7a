#include "tools/gen/song_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/spectrum.h"

std::vector<float> monoMix(const std::vector<float>& interleaved, int channels) {
    if (channels <= 0) return {};
    const std::size_t frames = interleaved.size() / channels;
    std::vector<float> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const float left = interleaved[i * channels];
        const float right = channels > 1 ? interleaved[i * channels + 1] : left;
        mono[i] = (left + right) * 0.5f;
    }
    return mono;
}

std::vector<float> measureSpectrumSums(const std::vector<float>& mono, int rate) {
    std::vector<float> sums;
    if (rate <= 0) return sums;
    SpectrumAnalyzer analyzer;
    std::vector<float> window(kSpectrumWindow), bins(kSpectrumBins);
    const long total = static_cast<long>(mono.size());
    for (long position = 0;; ++position) {
        const double ms = position * 1000.0 / kCalibrationPositionsPerSecond;
        const long end = static_cast<long>(std::floor(ms * rate / 1000.0));
        if (end > total) break;
        for (int i = 0; i < kSpectrumWindow; ++i) {
            const long at = end - kSpectrumWindow + i;
            window[i] = at >= 0 ? mono[at] : 0.0f;
        }
        analyzer.analyze(window.data(), bins.data());
        float sum = 0.0f;
        for (int k = 0; k < kSpectrumBins - 1; ++k) sum += bins[k];
        sums.push_back(sum);
    }
    return sums;
}

const std::vector<BeatRequirement>& songBeatRequirements() {
    static const std::vector<BeatRequirement> table = {
        {49.0, 81.5, 0.65f, 0.5, 2.5, 0.40},   {100.0, 122.0, 0.65f, 0.5, 2.5, 0.40},
        {122.0, 150.0, 0.5f, 0.2, 2.0, 0.40},  {162.0, 193.0, 0.75f, 0.5, 2.5, 0.35},
        {193.0, 223.0, 0.75f, 0.5, 2.5, 0.35}, {243.0, 303.0, 0.75f, 0.3, 2.5, 0.35},
    };
    return table;
}

BeatMeasure measureBeats(const std::vector<float>& sums, double startSeconds, double endSeconds, float threshold) {
    BeatMeasure measure;
    const long first = std::max(0L, static_cast<long>(std::ceil(startSeconds * kCalibrationPositionsPerSecond)));
    const long last = std::min(static_cast<long>(sums.size()),
                               static_cast<long>(std::ceil(endSeconds * kCalibrationPositionsPerSecond)));
    if (last <= first) return measure;
    long edges = 0, above = 0;
    double total = 0.0;
    bool wasAbove = false;
    for (long i = first; i < last; ++i) {
        // The effects compare sum / 5, in single precision, strictly above.
        const bool isAbove = sums[i] / 5.0f > threshold;
        if (isAbove && !wasAbove) ++edges;
        if (isAbove) ++above;
        wasAbove = isAbove;
        total += sums[i];
    }
    const long count = last - first;
    measure.edgesPerSecond = static_cast<double>(edges) * kCalibrationPositionsPerSecond / count;
    measure.shareAbove = static_cast<double>(above) / count;
    measure.meanSum = total / count;
    return measure;
}

std::string calibrationReport(const std::vector<float>& sums, bool& ok) {
    std::string report;
    char line[200];
    ok = true;
    for (const BeatRequirement& row : songBeatRequirements()) {
        const BeatMeasure m = measureBeats(sums, row.startSeconds, row.endSeconds, row.threshold);
        const bool holds = m.edgesPerSecond >= row.minEdgesPerSecond && m.edgesPerSecond <= row.maxEdgesPerSecond &&
                           m.shareAbove <= row.maxShareAbove;
        ok = ok && holds;
        std::snprintf(line, sizeof line,
                      "%6.1f-%6.1f s  threshold %.2f: %.2f edges/s (%.1f-%.1f), %4.1f %% above (max %.0f %%), mean sum %.2f  %s\n",
                      row.startSeconds, row.endSeconds, row.threshold, m.edgesPerSecond, row.minEdgesPerSecond,
                      row.maxEdgesPerSecond, 100.0 * m.shareAbove, 100.0 * row.maxShareAbove, m.meanSum,
                      holds ? "ok" : "MISS");
        report += line;
    }
    const BeatMeasure loud = measureBeats(sums, kLoudStartSeconds, kLoudEndSeconds, 0.0f);
    const bool loudHolds = loud.meanSum >= kLoudMinMeanSum;
    ok = ok && loudHolds;
    std::snprintf(line, sizeof line, "%6.1f-%6.1f s  mean sum %.2f (min %.1f)  %s\n", kLoudStartSeconds,
                  kLoudEndSeconds, loud.meanSum, kLoudMinMeanSum, loudHolds ? "ok" : "MISS");
    report += line;
    return report;
}
