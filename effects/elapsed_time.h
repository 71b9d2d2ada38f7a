#pragma once
// Song time that passed since an effect class last drew, in whole ms.
//
// Every animated class keeps one class-wide `lastPosition`. The time since it
// is capped at 100 ms so that a stall or a seek forward never jumps the
// animation by more than five 20 ms steps. Classes differ in what a backward
// step (a seek back) counts as, hence two variants. The difference is taken
// in 64 bits so that no pair of positions can overflow.
#include <climits>
#include <cstdint>

constexpr int kMaxElapsedMs = 100;

// Backward steps count as their magnitude, uncapped: a seek back of 300 ms
// advances the animation by 300 ms.
inline int elapsedMagnitude(int position, int& lastPosition) {
    std::int64_t elapsed = static_cast<std::int64_t>(position) - lastPosition;
    lastPosition = position;
    if (elapsed > kMaxElapsedMs) return kMaxElapsedMs;
    if (elapsed < 0) elapsed = -elapsed;
    return elapsed > INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(elapsed);
}

// Backward steps stay negative: fading values climb back up.
inline int elapsedSigned(int position, int& lastPosition) {
    std::int64_t elapsed = static_cast<std::int64_t>(position) - lastPosition;
    lastPosition = position;
    if (elapsed > kMaxElapsedMs) return kMaxElapsedMs;
    return elapsed < INT_MIN / 2 ? INT_MIN / 2 : static_cast<int>(elapsed);
}
