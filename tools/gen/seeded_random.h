#pragma once
// The generator's own random source. Content must come out byte-identical on
// every run, so nothing here reads a clock or the C library's generator; a
// recipe's seed fixes the whole sequence.
#include <cstdint>

namespace gen {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    // splitmix64: tiny, well mixed, and the same on every platform.
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }

    // Uniform in [low, high).
    double range(double low, double high) { return low + (high - low) * unit(); }

    // Uniform integer in [0, count); count must be positive.
    int below(int count) { return static_cast<int>(next() % static_cast<std::uint64_t>(count)); }

private:
    std::uint64_t state_;
};

// A stateless hash of integer coordinates, for noise lattices and scattered
// details that must not depend on the order in which pixels are visited.
inline std::uint32_t hashCoords(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed ^ 0x27D4EB2Du;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// The hash as a float in [0, 1).
inline float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return static_cast<float>(hashCoords(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

}  // namespace gen
