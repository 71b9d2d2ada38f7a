#include "tools/song_analysis/song_audio.h"

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
