#pragma once
// The processor time of the calling thread. Frame costs are measured with it:
// on a machine shared with other programs, wall-clock time also counts the
// moments the thread waited for a core, which are not the frame's cost.
#include <time.h>

inline double threadMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}
