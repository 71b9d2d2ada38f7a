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
}

inline int nextRandom() {  // 0 .. 32767
    random_detail::state = random_detail::state * 214013u + 2531011u;  // unsigned: wraps mod 2^32
    return static_cast<int>((random_detail::state >> 16) & 0x7FFFu);
}

inline void resetRandom(std::uint32_t state = 1) { random_detail::state = state; }

inline std::uint32_t randomState() { return random_detail::state; }
