#include "engine/random.h"

namespace {
std::uint32_t g_state = 1;  // the generator's state, the one the design names
}

int nextRandom() {
    g_state = g_state * 214013u + 2531011u;  // unsigned: wraps modulo 2^32
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

void resetRandom(std::uint32_t state) { g_state = state; }

std::uint32_t randomState() { return g_state; }
