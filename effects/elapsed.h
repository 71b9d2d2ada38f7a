#pragma once
// Song time since an effect class's previous frame.
//
// Effects that animate at a rate of their own (flashes, shrinking sprites,
// fixed 20 ms steps) measure how much song time passed since the last frame
// any instance of their class drew. Each class keeps its own `lastPosition`,
// which starts at 0 and is never reset, so a class's first frame, or the
// frame after a long gap, counts as at most kMaxElapsedMs.

constexpr int kMaxElapsedMs = 100;

// How a class treats a position earlier than the one it saw last (a seek
// backwards). Each class picks one; both are part of the show's look.
enum class BackwardStep {
    keepNegative,  // the difference stays negative: a decaying flash grows back
    useMagnitude,  // a step back counts as that much time passed
};

// Returns position - lastPosition, capped at kMaxElapsedMs, with a negative
// difference treated by `rule`; then lastPosition takes the position.
// Computed wide and clamped to int, so no pair of positions overflows.
int elapsedSince(int& lastPosition, int position, BackwardStep rule);
