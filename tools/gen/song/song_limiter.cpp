#include "tools/gen/song/song_limiter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

#include "tools/gen/song/song_dsp.h"

namespace {

constexpr int kPhases = 4;
constexpr int kHalfTaps = 8;  // taps reach from n - 7 to n + 8
constexpr int kTaps = 2 * kHalfTaps;
constexpr long kBlock = 32;   // peak-bound block; must be at least kHalfTaps

// Windowed-sinc interpolator for the points a quarter, a half and three
// quarters of the way to the next sample.
struct Interpolator {
    std::array<std::array<float, kTaps>, kPhases> taps{};
    std::array<float, kPhases> absoluteSum{};

    Interpolator() {
        for (int phase = 1; phase < kPhases; ++phase) {
            const double offset = static_cast<double>(phase) / kPhases;
            double sum = 0.0;
            for (int k = 0; k < kTaps; ++k) {
                const double x = (k - (kHalfTaps - 1)) - offset;  // distance from the wanted point
                const double sinc = std::sin(3.141592653589793 * x) / (3.141592653589793 * x);
                const double window = 0.5 + 0.5 * std::cos(3.141592653589793 * x / kHalfTaps);
                taps[phase][k] = static_cast<float>(sinc * window);
                sum += sinc * window;
            }
            double absolute = 0.0;
            for (int k = 0; k < kTaps; ++k) {
                taps[phase][k] = static_cast<float>(taps[phase][k] / sum);
                absolute += std::fabs(taps[phase][k]);
            }
            absoluteSum[phase] = static_cast<float>(absolute);
        }
    }

    float worstGain() const { return *std::max_element(absoluteSum.begin() + 1, absoluteSum.end()); }

    // Largest magnitude at n and between n and n + 1; x must reach n - 7 .. n + 8.
    float peakAt(const float* x) const {
        float peak = std::fabs(x[0]);
        for (int phase = 1; phase < kPhases; ++phase) {
            float value = 0.0f;
            for (int k = 0; k < kTaps; ++k) value += taps[phase][k] * x[k - (kHalfTaps - 1)];
            peak = std::max(peak, std::fabs(value));
        }
        return peak;
    }
};

const Interpolator& interpolator() {
    static const Interpolator made;
    return made;
}

// Oversampled peak at every sample of the channel, or 0 where it is
// provably below bound (most of a song: the interpolation then is skipped).
std::vector<float> peaksOf(const std::vector<float>& channel, float bound) {
    const long frames = static_cast<long>(channel.size());
    std::vector<float> padded(frames + 2 * kTaps, 0.0f);
    std::copy(channel.begin(), channel.end(), padded.begin() + kTaps);
    const long blocks = (frames + kBlock - 1) / kBlock;
    std::vector<float> blockMax(blocks + 2, 0.0f);
    for (long i = 0; i < frames; ++i) blockMax[i / kBlock + 1] = std::max(blockMax[i / kBlock + 1], std::fabs(channel[i]));

    const Interpolator& filter = interpolator();
    const float gain = filter.worstGain();
    std::vector<float> peaks(frames, 0.0f);
    for (long i = 0; i < frames; ++i) {
        const long b = i / kBlock + 1;
        const float reach = std::max({blockMax[b - 1], blockMax[b], blockMax[b + 1]});
        if (reach * gain <= bound) continue;
        peaks[i] = filter.peakAt(padded.data() + kTaps + i);
    }
    return peaks;
}

// Sliding minimum of values over [i - before, i + after], clamped to the ends.
std::vector<float> slidingMinimum(const std::vector<float>& values, long before, long after) {
    const long count = static_cast<long>(values.size());
    std::vector<float> result(count);
    std::deque<long> window;  // indices with increasing values
    long next = 0;
    for (long i = 0; i < count; ++i) {
        for (; next < count && next <= i + after; ++next) {
            while (!window.empty() && values[window.back()] >= values[next]) window.pop_back();
            window.push_back(next);
        }
        while (window.front() < i - before) window.pop_front();
        result[i] = values[window.front()];
    }
    return result;
}

// One pass: lowers the gain wherever the oversampled peak passes the ceiling.
// Returns false when nothing needed lowering.
bool limitPass(std::vector<float>& left, std::vector<float>& right, const LimiterSettings& settings) {
    const long frames = static_cast<long>(left.size());
    const std::vector<float> peaksLeft = peaksOf(left, settings.ceiling), peaksRight = peaksOf(right, settings.ceiling);
    std::vector<float> needed(frames, 1.0f);
    bool any = false;
    for (long i = 0; i < frames; ++i) {
        const float peak = std::max(peaksLeft[i], peaksRight[i]);
        if (peak > settings.ceiling) {
            needed[i] = settings.ceiling / peak;
            any = true;
        }
    }
    if (!any) return false;

    // The minimum reaches a little past the ramp on both sides, so the gain
    // is already down across the interpolator's whole span around a peak.
    const long ramp = std::max(settings.lookahead, 1);
    const std::vector<float> floor = slidingMinimum(needed, kHalfTaps, ramp + kHalfTaps);
    // A moving average over the ramp turns the steps into straight slopes
    // that stay under every value they average.
    const float release = static_cast<float>(1.0 - std::exp(-1.0 / (std::max(settings.releaseSeconds, 0.001f) * kSongRate)));
    double running = 0.0;
    float gain = 1.0f;
    for (long i = 0; i < frames; ++i) {
        running += floor[i];
        if (i >= ramp) running -= floor[i - ramp];
        const float smooth = static_cast<float>(running / std::min(i + 1, ramp));
        gain = smooth < gain ? smooth : gain + release * (smooth - gain);
        left[i] *= gain;
        right[i] *= gain;
    }
    return true;
}

}  // namespace

float truePeak(const std::vector<float>& channel) {
    const std::vector<float> peaks = peaksOf(channel, 0.0f);
    float peak = 0.0f;
    for (float value : peaks) peak = std::max(peak, value);
    return peak;
}

void limitTruePeak(std::vector<float>& left, std::vector<float>& right, const LimiterSettings& settings) {
    // The gain varies a little across the interpolator's span, so a peak
    // can come out a hair above the ceiling; further passes catch those.
    for (int pass = 0; pass < 8 && limitPass(left, right, settings); ++pass) {
    }
}
