#include "driver/show_loading.h"

#include <cstring>

#include "driver/schedule.h"
#include "engine/frame.h"
#include "engine/vrl.h"

namespace {

void say(const ShowLoading& loading, const char* text) {
    if (loading.progress) loading.progress(text);
}

bool stopped(const ShowLoading& loading) { return loading.quitRequested && loading.quitRequested(); }

}  // namespace

bool loadShow(const ShowLoading& loading) {
    vrlSetLogging(loading.logging ? 1 : 0);
    vrlMakePAK("resources/", "datafile.pak");
    say(loading, "Loading.");
    if (stopped(loading)) return false;
    vrlSetupInstances();
    vrlInitFrameBuffer(kFrameWidth, kFrameHeight);
    // Before the sound starts up, so that no audio device is opened.
    if (loading.manualClock) vrlUseManualClock(1);
    vrlInitSound();
    say(loading, ".");
    if (stopped(loading)) return false;
    vrlReadPak("datafile.pak");
    say(loading, ".");
    if (stopped(loading)) return false;
    vrlLoadSong("kelmuth.ogg");
    say(loading, ".");
    if (stopped(loading)) return false;
    vrlAddRenderToTexture(kFrameWidth, kFrameHeight, "renderToTexture00");
    vrlAddRenderToTexture(kFrameWidth, kFrameHeight, "renderToTexture01");
    vrlAddRenderToTexture(kTextureSide, kTextureSide, "renderToTexture02");
    // Making the effects loads pictures and meshes, the slow part of loading.
    if (loading.registerEffects)
        loading.registerEffects();
    else
        registerSchedule(loading.quitRequested);
    if (stopped(loading)) return false;
    vrlInitEffects();
    say(loading, ".\n");
    return !stopped(loading);
}

void startShow(int startMs) {
    vrlInitTimer();
    vrlPlaySong(1);
    if (startMs > 0) vrlSeek(startMs);
}

void drawShowFrame() {
    std::memset(vrlGetFrameBuffer(), 0, kFramePixels * sizeof(unsigned int));
    vrlRun();
}

PixelView frameBufferView() { return {vrlGetFrameBuffer(), kFrameWidth, kFrameHeight, kFrameBytesPerRow}; }

const unsigned int* renderShowFrameAt(int ms) {
    vrlSetPosition(ms);
    vrlUpdateTimer();
    drawShowFrame();
    return vrlGetFrameBuffer();
}
