#pragma once
// The show's fixed schedule: which effect runs when, over what, and in which
// order it is registered. The show and the capture tool both use this table.
#include <span>

#include "engine/base.h"

struct ScheduleEntry {
    unsigned long start;  // ms of song position, inclusive
    unsigned long end;    // ms, exclusive
    int priority;         // higher draws first; the scene has the highest
    const char* name;     // engine label, not unique
    const char* className;
    NORVALE_VIRELLO::Base* (*create)();  // a new instance for this entry alone
};

// The rows in registration order.
std::span<const ScheduleEntry> showSchedule();

// Constructs each entry's effect and hands it to the engine, in table order.
// Stops before the next entry once `stop` (when given) returns true: making
// the effects loads pictures and meshes, the slow part of loading.
void registerSchedule(bool (*stop)() = nullptr);

// The show ends at the first frame whose position is above this.
constexpr int kShowEndMs = 333000;
