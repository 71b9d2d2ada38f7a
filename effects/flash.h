#pragma once
// A beat flash: set to 1 by a beat, it fades linearly with elapsed song time
// (not with frames, so the look does not depend on the frame rate) and
// stops at 0. A negative elapsed time, where a class keeps one, raises it.

inline float fadeFlash(float flash, int elapsedMs, float fadePerMs) {
    const float faded = flash - static_cast<float>(elapsedMs) * fadePerMs;
    return faded < 0.0f ? 0.0f : faded;
}
