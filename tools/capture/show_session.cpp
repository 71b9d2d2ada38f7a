#include "tools/capture/show_session.h"

#include <chrono>
#include <cstring>

#include "driver/schedule.h"
#include "effects/loudness.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "tools/capture/thread_clock.h"

ShowSession::ShowSession(EffectRegistrar registrar) {
    vrlSetLogging(1);
    vrlHoldMessages(0);
    vrlMakePAK("resources/", "datafile.pak");
    vrlSetupInstances();
    vrlInitFrameBuffer(kFrameWidth, kFrameHeight);
    // Before the sound starts up, so no audio device is opened.
    vrlUseManualClock(1);
    vrlInitSound();
    vrlReadPak("datafile.pak");
    vrlLoadSong("kelmuth.ogg");
    vrlAddRenderToTexture(kFrameWidth, kFrameHeight, "renderToTexture00");
    vrlAddRenderToTexture(kFrameWidth, kFrameHeight, "renderToTexture01");
    vrlAddRenderToTexture(kTextureSide, kTextureSide, "renderToTexture02");
    if (registrar)
        registrar();
    else
        registerSchedule();
    vrlInitEffects();
    vrlInitTimer();
}

ShowSession::~ShowSession() { vrlShutDown(); }

double ShowSession::renderFrame(int ms) {
    vrlSetPosition(ms);
    vrlUpdateTimer();
    std::memset(vrlGetFrameBuffer(), 0, kFramePixels * sizeof(unsigned int));
    const double begin = threadMicros();
    vrlRun();
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
