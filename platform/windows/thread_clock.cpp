// Windows counts a thread's processor time in scheduler ticks (15.6 ms; 10 ms
// under wine), coarser than a whole frame: every frame would cost 0 or a
// tick. The performance counter's wall clock it is, which also counts the
// moments the thread waited for a core (a busy machine's figures are high).
#include "tools/capture/thread_clock.h"

#include <chrono>

double threadMicros() {
    using Micros = std::chrono::duration<double, std::micro>;
    return std::chrono::duration_cast<Micros>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
