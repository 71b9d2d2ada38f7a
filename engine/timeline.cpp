#include "engine/timeline.h"

#include <algorithm>

using NORVALE_VIRELLO::Base;

Timeline::~Timeline() { destroyAll(); }

void Timeline::add(unsigned long start, unsigned long end, int priority, const char* name,
                   Base* effect) {
    if (!effect) return;
    entries_.push_back({start, end, priority, name, effect});
}

void Timeline::initAll() {
    for (const vrlTimelineEntry& e : entries_) e.effect->init(e.start, e.end);
}

std::vector<Base*> Timeline::activeAt(int position) const {
    std::vector<const vrlTimelineEntry*> active;
    if (position >= 0) {
        const auto at = static_cast<unsigned long>(position);
        for (const vrlTimelineEntry& e : entries_)
            if (e.start <= at && at < e.end) active.push_back(&e);
    }
    std::stable_sort(active.begin(), active.end(),
                     [](const vrlTimelineEntry* a, const vrlTimelineEntry* b) {
                         return a->priority > b->priority;
                     });
    std::vector<Base*> effects;
    for (const vrlTimelineEntry* e : active) effects.push_back(e->effect);
    return effects;
}

void Timeline::runAt(int position) {
    for (Base* effect : activeAt(position)) {
        effect->update(static_cast<float>(position));
        effect->draw();
    }
}

void Timeline::destroyAll() {
    for (vrlTimelineEntry& e : entries_) delete e.effect;
    entries_.clear();
}

const vrlTimelineEntry* Timeline::entry(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return &entries_[static_cast<std::size_t>(index)];
}
