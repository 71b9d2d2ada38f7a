#pragma once
#include <cstdint>

// The show's one random generator: the linear congruential generator
// the show was designed with (state * 214013 + 2531011,
// result bits 16-30). glibc's rand() is a different generator, so the
// program carries its own. The state starts at 1 and is never seeded by the
// show; tests and tools may reset it to replay a run.
//
// Inline because some effects draw one number per pixel (64000 a frame).
namespace random_detail {
inline std::uint32_t state = 1;  // the generator's state, the one the design names
constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

// The draw a state gives: bits 16-30.
inline int drawOf(std::uint32_t state) { return static_cast<int>((state >> 16) & 0x7FFFu); }
}  // namespace random_detail

inline int nextRandom() {  // 0 .. 32767
    using namespace random_detail;
    state = state * kMultiplier + kIncrement;  // unsigned: wraps mod 2^32
    return drawOf(state);
}

inline void resetRandom(std::uint32_t state = 1) { random_detail::state = state; }

inline std::uint32_t randomState() { return random_detail::state; }

// The next `count` draws into out[0..count), exactly what `count` calls of
// nextRandom() would give, state included. A per-pixel overlay spends most
// of its time waiting for each multiply of the one generator; four
// interleaved generators that each jump four steps at once give the same
// numbers without that wait.
inline void nextRandoms(int* out, int count) {
    using namespace random_detail;
    // Four steps as one: s -> a^4 s + c (a^3 + a^2 + a + 1), all mod 2^32.
    constexpr std::uint32_t kMultiplier4 = kMultiplier * kMultiplier * kMultiplier * kMultiplier;
    constexpr std::uint32_t kIncrement4 =
        kIncrement * (kMultiplier * kMultiplier * kMultiplier + kMultiplier * kMultiplier + kMultiplier + 1u);
    int i = 0;
    if (count >= 4) {
        std::uint32_t s0 = state * kMultiplier + kIncrement;
        std::uint32_t s1 = s0 * kMultiplier + kIncrement;
        std::uint32_t s2 = s1 * kMultiplier + kIncrement;
        std::uint32_t s3 = s2 * kMultiplier + kIncrement;
        for (;; i += 4) {
            out[i] = drawOf(s0);
            out[i + 1] = drawOf(s1);
            out[i + 2] = drawOf(s2);
            out[i + 3] = drawOf(s3);
            if (i + 8 > count) break;
            s0 = s0 * kMultiplier4 + kIncrement4;
            s1 = s1 * kMultiplier4 + kIncrement4;
            s2 = s2 * kMultiplier4 + kIncrement4;
            s3 = s3 * kMultiplier4 + kIncrement4;
        }
        state = s3;
        i += 4;
    }
    for (; i < count; ++i) out[i] = nextRandom();
}
