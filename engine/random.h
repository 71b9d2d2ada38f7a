#pragma once
#include <cstdint>

// The show's one random generator: the classic linear congruential
// generator of the original run-time library (state * 214013 + 2531011,
// result bits 16-30). glibc's rand() is a different generator, so the
// program carries its own. The state starts at 1 and is never seeded by the
// show; tests and tools may reset it to replay a run.
int nextRandom();                            // 0 .. 32767
void resetRandom(std::uint32_t state = 1);   // for tests and offline tools
std::uint32_t randomState();
