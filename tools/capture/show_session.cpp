#include "tools/capture/show_session.h"

#include "driver/schedule.h"
#include "effects/loudness.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "tools/capture/thread_clock.h"

ShowSession::ShowSession(ShowLoading loading) {
    vrlHoldMessages(0);
    loading.manualClock = true;
    loaded_ = loadShow(loading);
    if (loaded_) startShow(0);
}

ShowSession::~ShowSession() { vrlShutDown(); }

double ShowSession::renderFrame(int ms) {
    const double begin = threadMicros();
    renderShowFrameAt(ms);
    return threadMicros() - begin;
}

const unsigned int* ShowSession::frameBuffer() const { return vrlGetFrameBuffer(); }

float ShowSession::energy() const { return spectrumEnergy(); }

std::vector<TimelineRow> ShowSession::timeline() const {
    const auto table = showSchedule();
    const bool showTable = static_cast<int>(table.size()) == vrlGetEffectCount();
    std::vector<TimelineRow> rows;
    for (int i = 0; i < vrlGetEffectCount(); ++i) {
        const vrlTimelineEntry* entry = vrlGetEffectEntry(i);
        rows.push_back({entry->start, entry->end, entry->priority,
                        showTable ? table[i].className : (entry->name ? entry->name : "")});
    }
    return rows;
}
