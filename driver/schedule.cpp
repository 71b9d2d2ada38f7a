#include "driver/schedule.h"

#include <vector>

#include "engine/vrl.h"

using NORVALE_VIRELLO::Base;

std::span<const ScheduleEntry> showSchedule() {
    // Entry 14 belongs to the 100000-122000 block though it is registered
    // after entry 13; entry 20 starts 3000 ms before its scene and so also
    // runs over the end of the tunnel.
    static const std::vector<ScheduleEntry> table = {
    };
    return table;
}

void registerSchedule() {
    for (const ScheduleEntry& entry : showSchedule())
        vrlAddEffect(entry.start, entry.end, entry.priority, entry.name, entry.create());
}
