#include "tools/gen/song/song_calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/spectrum.h"

std::vector<float> measureSpectrumSums(const std::vector<float>& mono, int rate, const SpectrumSampling& sampling) {
    std::vector<float> sums;
    if (rate <= 0 || !(sampling.positionsPerSecond > 0.0) || !(sampling.offsetSeconds >= 0.0)) return sums;
    SpectrumAnalyzer analyzer;
    std::vector<float> window(kSpectrumWindow), bins(kSpectrumBins);
    const long total = static_cast<long>(mono.size());
    const double offsetSamples = sampling.offsetSeconds * rate;
    for (long position = 0;; ++position) {
        // position * rate / positionsPerSecond is exact at 60, 30 and 24 a
        // second, so the window ends land on the same samples every run.
        const double at = offsetSamples + static_cast<double>(position) * rate / sampling.positionsPerSecond;
        const long end = static_cast<long>(std::floor(at));
        if (end > total) break;
        for (int i = 0; i < kSpectrumWindow; ++i) {
            const long sample = end - kSpectrumWindow + i;
            window[i] = sample >= 0 ? mono[sample] : 0.0f;
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
        {193.0, 223.0, 0.75f, 0.5, 2.5, 0.35},
    };
    return table;
}

const SustainRequirement& songSustainRequirement() {
    static const SustainRequirement valo = {243.0, 303.0, 2.0, 0.75f, 0.5, 0.3, 0.25, 1.0, 0.3};
    return valo;
}

const std::vector<SpectrumSampling>& slowFrameSamplings() {
    static const std::vector<SpectrumSampling> samplings = [] {
        std::vector<SpectrumSampling> made;
        for (double fps : {30.0, 24.0})
            for (double offsetMs : {0.0, 7.0, 13.0, 21.0}) made.push_back({fps, offsetMs / 1000.0});
        return made;
    }();
    return samplings;
}

BeatMeasure measureBeats(const std::vector<float>& sums, double startSeconds, double endSeconds, float threshold,
                         const SpectrumSampling& sampling) {
    BeatMeasure measure;
    const double fps = sampling.positionsPerSecond;
    if (!(fps > 0.0)) return measure;
    auto index = [&](double seconds) { return static_cast<long>(std::ceil((seconds - sampling.offsetSeconds) * fps)); };
    const long first = std::max(0L, index(startSeconds));
    const long last = std::min(static_cast<long>(sums.size()), index(endSeconds));
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
    measure.edgesPerSecond = static_cast<double>(edges) * fps / count;
    measure.shareAbove = static_cast<double>(above) / count;
    measure.meanSum = total / count;
    return measure;
}

SustainMeasure measureSustain(const std::vector<float>& sums, const SustainRequirement& requirement,
                              const SpectrumSampling& sampling) {
    SustainMeasure measure;
    const double fps = sampling.positionsPerSecond;
    if (!(fps > 0.0) || !(requirement.barSeconds > 0.0)) return measure;
    const BeatMeasure whole = measureBeats(sums, requirement.startSeconds, requirement.endSeconds,
                                           requirement.threshold, sampling);
    const BeatMeasure peaks = measureBeats(sums, requirement.startSeconds, requirement.endSeconds, kPeakThreshold,
                                           sampling);
    measure.share = whole.shareAbove;
    measure.peakEdgesPerSecond = peaks.edgesPerSecond;
    measure.peakShare = peaks.shareAbove;
    measure.lowestBarShare = 1.0;
    for (double bar = requirement.startSeconds; bar + requirement.barSeconds <= requirement.endSeconds + 1e-9;
         bar += requirement.barSeconds) {
        const BeatMeasure m = measureBeats(sums, bar, bar + requirement.barSeconds, requirement.threshold, sampling);
        measure.lowestBarShare = std::min(measure.lowestBarShare, m.shareAbove);
    }
    auto index = [&](double seconds) { return static_cast<long>(std::ceil((seconds - sampling.offsetSeconds) * fps)); };
    const long first = std::max(0L, index(requirement.startSeconds));
    const long last = std::min(static_cast<long>(sums.size()), index(requirement.endSeconds));
    long gap = 0, longest = 0;
    for (long i = first; i < last; ++i) {
        gap = sums[i] / 5.0f > requirement.threshold ? 0 : gap + 1;
        longest = std::max(longest, gap);
    }
    measure.longestGapSeconds = static_cast<double>(longest) / fps;
    return measure;
}

bool sustainHolds(const SustainRequirement& requirement, const SustainMeasure& measure) {
    return measure.lowestBarShare >= requirement.minShareEachBar &&
           measure.longestGapSeconds <= requirement.maxGapSeconds &&
           measure.peakEdgesPerSecond >= requirement.minPeaksPerSecond &&
           measure.peakEdgesPerSecond <= requirement.maxPeaksPerSecond &&
           measure.peakShare <= requirement.maxPeakShare;
}

namespace {

bool edgesInRange(const BeatRequirement& row, const BeatMeasure& m) {
    return m.edgesPerSecond >= row.minEdgesPerSecond && m.edgesPerSecond <= row.maxEdgesPerSecond;
}

// The slowest and fastest edge rate over the offsets of one frame rate.
struct EdgeSpread {
    double lowest = 1e9, highest = 0.0;
    bool holds = true;
};

}  // namespace

std::string calibrationReport(const std::vector<float>& mono, int rate, bool& ok) {
    const std::vector<float> sums = measureSpectrumSums(mono, rate);
    std::vector<std::vector<float>> slowSums;
    for (const SpectrumSampling& sampling : slowFrameSamplings())
        slowSums.push_back(measureSpectrumSums(mono, rate, sampling));

    std::string report;
    char line[240];
    ok = true;
    for (const BeatRequirement& row : songBeatRequirements()) {
        const BeatMeasure m = measureBeats(sums, row.startSeconds, row.endSeconds, row.threshold);
        const BeatMeasure peaks = measureBeats(sums, row.startSeconds, row.endSeconds, kPeakThreshold);
        const bool holds = edgesInRange(row, m) && m.shareAbove <= row.maxShareAbove;
        ok = ok && holds;
        std::snprintf(line, sizeof line,
                      "%6.1f-%6.1f s  threshold %.2f: %.2f edges/s (%.1f-%.1f), %4.1f %% above (max %.0f %%), "
                      "mean sum %.2f; above %.2f: %.2f edges/s, %4.1f %%  %s\n",
                      row.startSeconds, row.endSeconds, row.threshold, m.edgesPerSecond, row.minEdgesPerSecond,
                      row.maxEdgesPerSecond, 100.0 * m.shareAbove, 100.0 * row.maxShareAbove, m.meanSum,
                      kPeakThreshold, peaks.edgesPerSecond, 100.0 * peaks.shareAbove, holds ? "ok" : "MISS");
        report += line;

        std::string slow = "                 slower frames:";
        bool slowHolds = true;
        for (std::size_t s = 0; s < slowFrameSamplings().size();) {
            const double fps = slowFrameSamplings()[s].positionsPerSecond;
            EdgeSpread spread;
            for (; s < slowFrameSamplings().size() && slowFrameSamplings()[s].positionsPerSecond == fps; ++s) {
                const BeatMeasure at = measureBeats(slowSums[s], row.startSeconds, row.endSeconds, row.threshold,
                                                    slowFrameSamplings()[s]);
                spread.lowest = std::min(spread.lowest, at.edgesPerSecond);
                spread.highest = std::max(spread.highest, at.edgesPerSecond);
                spread.holds = spread.holds && edgesInRange(row, at);
            }
            slowHolds = slowHolds && spread.holds;
            std::snprintf(line, sizeof line, " %.0f fps %.2f-%.2f edges/s", fps, spread.lowest, spread.highest);
            slow += line;
        }
        ok = ok && slowHolds;
        report += slow + (slowHolds ? "  ok\n" : "  MISS\n");
    }
    const SustainRequirement& valo = songSustainRequirement();
    const SustainMeasure sustain = measureSustain(sums, valo);
    const bool sustainOk = sustainHolds(valo, sustain);
    ok = ok && sustainOk;
    std::snprintf(line, sizeof line,
                  "%6.1f-%6.1f s  above %.2f: %4.1f %% (lowest bar %4.1f %%, min %.0f %%), longest gap %.2f s "
                  "(max %.2f); above %.2f: %.2f edges/s (%.2f-%.2f), %4.1f %% (max %.0f %%)  %s\n",
                  valo.startSeconds, valo.endSeconds, valo.threshold, 100.0 * sustain.share,
                  100.0 * sustain.lowestBarShare, 100.0 * valo.minShareEachBar, sustain.longestGapSeconds,
                  valo.maxGapSeconds, kPeakThreshold, sustain.peakEdgesPerSecond, valo.minPeaksPerSecond,
                  valo.maxPeaksPerSecond, 100.0 * sustain.peakShare, 100.0 * valo.maxPeakShare,
                  sustainOk ? "ok" : "MISS");
    report += line;
    // The slower shows must see the held energy and the big hits as well.
    std::string slow = "                 slower frames:";
    bool slowSustains = true;
    for (std::size_t s = 0; s < slowFrameSamplings().size(); ++s) {
        const SustainMeasure at = measureSustain(slowSums[s], valo, slowFrameSamplings()[s]);
        slowSustains = slowSustains && at.lowestBarShare >= valo.minShareEachBar &&
                       at.peakEdgesPerSecond >= valo.minPeaksPerSecond;
        std::snprintf(line, sizeof line, " %.0f/%.0f%%/%.2f", slowFrameSamplings()[s].positionsPerSecond,
                      100.0 * at.lowestBarShare, at.peakEdgesPerSecond);
        slow += line;
    }
    ok = ok && slowSustains;
    report += slow + (slowSustains ? "  ok\n" : "  MISS\n");
    const BeatMeasure loud = measureBeats(sums, kLoudStartSeconds, kLoudEndSeconds, 0.0f);
    const bool loudHolds = loud.meanSum >= kLoudMinMeanSum;
    ok = ok && loudHolds;
    std::snprintf(line, sizeof line, "%6.1f-%6.1f s  mean sum %.2f (min %.1f)  %s\n", kLoudStartSeconds,
                  kLoudEndSeconds, loud.meanSum, kLoudMinMeanSum, loudHolds ? "ok" : "MISS");
    report += line;
    return report;
}
