#include "tools/gen/song/song_reverb.h"

#include <algorithm>

namespace {

// Mutually prime delay lengths in samples at 44.1 kHz.
constexpr int kCombLengths[8] = {1117, 1189, 1279, 1361, 1423, 1493, 1559, 1627};
constexpr int kAllPassLengths[4] = {557, 441, 341, 227};
constexpr int kStereoOffset = 23;
constexpr float kAllPassGain = 0.5f;
constexpr float kInputGain = 0.03f;

}  // namespace

SongReverb::SongReverb(const SongParams& settings)
    : feedback_(0.7f + 0.28f * std::clamp(settings.at("room"), 0.0f, 1.0f)),
      damp_(0.05f + 0.9f * std::clamp(settings.at("damp"), 0.0f, 1.0f)),
      width_(std::clamp(settings.at("width"), 0.0f, 1.0f)) {
    for (int channel = 0; channel < 2; ++channel) {
        const int offset = channel * kStereoOffset;
        for (int length : kCombLengths) combs_[channel].push_back({std::vector<float>(length + offset, 0.0f)});
        for (int length : kAllPassLengths) passes_[channel].push_back({std::vector<float>(length + offset, 0.0f)});
    }
}

float SongReverb::processChannel(float input, std::vector<Comb>& combs, std::vector<AllPass>& passes) {
    float sum = 0.0f;
    for (Comb& comb : combs) {
        const float out = comb.line[comb.at];
        comb.state += (1.0f - damp_) * (out - comb.state);  // damping: high notes die first
        comb.line[comb.at] = input + comb.state * feedback_;
        if (++comb.at == static_cast<long>(comb.line.size())) comb.at = 0;
        sum += out;
    }
    for (AllPass& pass : passes) {
        const float delayed = pass.line[pass.at];
        pass.line[pass.at] = sum + delayed * kAllPassGain;
        sum = delayed - sum * kAllPassGain;
        if (++pass.at == static_cast<long>(pass.line.size())) pass.at = 0;
    }
    return sum;
}

void SongReverb::process(float* left, float* right, long frames) {
    const float same = 0.5f + 0.5f * width_, other = 0.5f - 0.5f * width_;
    for (long i = 0; i < frames; ++i) {
        const float input = (left[i] + right[i]) * kInputGain;
        const float wetLeft = processChannel(input, combs_[0], passes_[0]);
        const float wetRight = processChannel(input, combs_[1], passes_[1]);
        left[i] = wetLeft * same + wetRight * other;
        right[i] = wetRight * same + wetLeft * other;
    }
}
