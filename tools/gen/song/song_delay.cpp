#include "tools/gen/song/song_delay.h"

#include <algorithm>
#include <cmath>

#include "tools/gen/song/song_dsp.h"

SongDelay::SongDelay(const SongParams& settings, double secondsPerBeat)
    : feedback_(std::clamp(settings.at("feedback"), 0.0f, 0.95f)) {
    const double seconds = std::clamp(settings.at("beats") * secondsPerBeat, 0.001, 10.0);
    const long length = std::lround(seconds * kSongRate);
    lines_[0].assign(length, 0.0f);
    lines_[1].assign(length, 0.0f);
    toneCoefficient_ = static_cast<float>(1.0 - std::exp(-kTwoPi * settings.at("tone") / kSongRate));
}

void SongDelay::process(float* left, float* right, long frames) {
    const long length = static_cast<long>(lines_[0].size());
    for (long i = 0; i < frames; ++i) {
        const float echoLeft = lines_[0][at_], echoRight = lines_[1][at_];
        toneState_[0] += toneCoefficient_ * (echoRight - toneState_[0]);
        toneState_[1] += toneCoefficient_ * (echoLeft - toneState_[1]);
        // The input enters on the left; the repeats swap sides.
        lines_[0][at_] = 0.5f * (left[i] + right[i]) + toneState_[0] * feedback_;
        lines_[1][at_] = toneState_[1] * feedback_;
        left[i] = echoLeft;
        right[i] = echoRight;
        if (++at_ == length) at_ = 0;
    }
}
