#pragma once
// The song's own noise source. It is separate from the show's rand() so that
// making the song never disturbs the show's random sequence, and it is
// seeded from the score so the same score always gives the same bytes.
#include <cstdint>

class SongRandom {
public:
    explicit SongRandom(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}

    // xorshift64*: fast, well spread, and the same on every platform.
    std::uint32_t next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
    }

    // Uniform in [-1, 1).
    float bipolar() { return static_cast<float>(next() >> 8) * (2.0f / 16777216.0f) - 1.0f; }

    // Uniform in [0, 1).
    float unit() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }

private:
    std::uint64_t state_;
};
