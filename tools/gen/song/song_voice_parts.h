#pragma once
// Small pieces every voice of the synthesiser shares: how long a note lasts
// in the buffer, and its simple envelopes.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/gen/song/song_dsp.h"
#include "tools/gen/song/song_note.h"

namespace song_voice_parts {

// Per-sample factor of an exponential decay with the given time constant.
inline float decayFactor(float seconds) { return static_cast<float>(std::exp(-1.0 / (std::max(seconds, 1e-4f) * kSongRate))); }

// The filters' coefficients cost a tan(); refreshing them every few samples
// is inaudible.
constexpr int kFilterUpdate = 8;

struct Span {
    std::int64_t first;
    std::int64_t count;
};

// Where a note of the given length lands in the buffer.
inline Span spanOf(const SongNote& note, double seconds, std::int64_t frames) {
    const std::int64_t first = static_cast<std::int64_t>(std::llround(note.startSeconds * kSongRate));
    // A minute covers every tail; the cap also keeps absurd settings from
    // overflowing the sample count.
    std::int64_t count = static_cast<std::int64_t>(std::clamp(seconds, 0.0, 60.0) * kSongRate);
    if (first >= frames || first < 0) return {0, 0};
    count = std::min(count, frames - first);
    return {first, count};
}

// A linear fade-in over attack and out over release after the gate.
inline float gateEnvelope(double t, double attack, double gate, double release) {
    float level = attack > 0.0 && t < attack ? static_cast<float>(t / attack) : 1.0f;
    if (t > gate) level *= static_cast<float>(std::max(0.0, 1.0 - (t - gate) / std::max(release, 1e-3)));
    return level;
}

inline void addMono(float* left, float* right, std::int64_t at, float value) {
    left[at] += value;
    right[at] += value;
}

}  // namespace song_voice_parts
