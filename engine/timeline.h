#pragma once
// The registered effects and the order they draw in.
#include <memory>
#include <vector>

#include "engine/vrl.h"

class Timeline {
public:
    Timeline() = default;
    ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    void add(unsigned long start, unsigned long end, int priority, const char* name,
             NORVALE_VIRELLO::Base* effect);
    void initAll();
    // Effects active at `position` (start <= position < end), highest
    // priority first; ties keep registration order.
    std::vector<NORVALE_VIRELLO::Base*> activeAt(int position) const;
    void runAt(int position);
    void destroyAll();

    int count() const { return static_cast<int>(entries_.size()); }
    const vrlTimelineEntry* entry(int index) const;

private:
    std::vector<vrlTimelineEntry> entries_;  // registration order
};
