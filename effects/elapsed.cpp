#include "effects/elapsed.h"

#include <climits>

int elapsedSince(int& lastPosition, int position, BackwardStep rule) {
    long long elapsed = static_cast<long long>(position) - lastPosition;
    if (elapsed > kMaxElapsedMs) elapsed = kMaxElapsedMs;
    if (elapsed < 0 && rule == BackwardStep::useMagnitude) elapsed = -elapsed;
    if (elapsed > INT_MAX) elapsed = INT_MAX;
    if (elapsed < INT_MIN) elapsed = INT_MIN;
    lastPosition = position;
    return static_cast<int>(elapsed);
}
