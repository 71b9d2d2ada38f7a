#include "tools/song_analysis/song_loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr long kChunk = 8192;
// The largest 16-bit sample as a float; at or beyond it a sample is clipped.
constexpr float kFullScale = 32767.0f / 32768.0f;

struct StateDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using State = std::unique_ptr<ebur128_state, StateDeleter>;

// Feeds interleaved chunks produced by fill(at, count, into) and reads the meter.
template <typename Fill>
bool measure(int channels, int rate, long frames, bool withTruePeak, Fill fill, SongLoudness& loudness,
             std::string& error) {
    if (channels <= 0 || rate <= 0) {
        error = "no audio to measure";
        return false;
    }
    int mode = EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_SAMPLE_PEAK;
    if (withTruePeak) mode |= EBUR128_MODE_TRUE_PEAK;
    State state(ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(rate), mode));
    if (!state) {
        error = "the loudness meter did not start";
        return false;
    }
    std::vector<float> chunk(kChunk * channels);
    loudness = SongLoudness{};
    for (long at = 0; at < frames; at += kChunk) {
        const long count = std::min(kChunk, frames - at);
        fill(at, count, chunk.data());
        for (long i = 0; i < count * channels; ++i)
            if (std::fabs(chunk[i]) >= kFullScale) ++loudness.clippedSamples;
        if (ebur128_add_frames_float(state.get(), chunk.data(), static_cast<std::size_t>(count)) != EBUR128_SUCCESS) {
            error = "the loudness meter failed";
            return false;
        }
    }
    ebur128_loudness_global(state.get(), &loudness.integratedLufs);
    ebur128_loudness_range(state.get(), &loudness.loudnessRangeLu);
    double truePeak = 0.0, samplePeak = 0.0;
    for (int c = 0; c < channels; ++c) {
        double value = 0.0;
        ebur128_sample_peak(state.get(), static_cast<unsigned>(c), &value);
        samplePeak = std::max(samplePeak, value);
        if (withTruePeak) {
            ebur128_true_peak(state.get(), static_cast<unsigned>(c), &value);
            truePeak = std::max(truePeak, value);
        }
    }
    loudness.samplePeak = samplePeak;
    loudness.truePeakDbtp = withTruePeak ? 20.0 * std::log10(std::max(truePeak, 1e-10)) : 0.0;
    return true;
}

}  // namespace

bool measureLoudness(const SongAudio& audio, bool withTruePeak, SongLoudness& loudness, std::string& error) {
    auto fill = [&](long at, long count, float* into) {
        for (long i = 0; i < count; ++i) {
            into[2 * i] = audio.left[at + i];
            into[2 * i + 1] = audio.right[at + i];
        }
    };
    return measure(2, kSongRate, audio.frames(), withTruePeak, fill, loudness, error);
}

bool measureLoudness(const DecodedSong& song, bool withTruePeak, SongLoudness& loudness, std::string& error) {
    auto fill = [&](long at, long count, float* into) {
        std::copy(song.samples.begin() + at * song.channels, song.samples.begin() + (at + count) * song.channels, into);
    };
    return measure(song.channels, song.rate, song.frames(), withTruePeak, fill, loudness, error);
}
