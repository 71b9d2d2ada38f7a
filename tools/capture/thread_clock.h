#pragma once
// The processor time of the calling thread, in microseconds. Frame costs are
// measured with it: on a machine shared with other programs, wall-clock time
// also counts the moments the thread waited for a core, which are not the
// frame's cost.
double threadMicros();
