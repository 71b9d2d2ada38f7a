// The web page's entry point: the show as the page drives it. The page fetches the content into the
// module's file system (under /show), then calls these functions: load
// once, start on the user's gesture, then one frame per animation frame.
// Everything runs on the page's one thread, as the terminal show runs on
// its one thread.
//
// The test hook renders chosen positions on the manual clock, as the
// capture tool does, so a position's frame can be compared with the native
// capture's.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "driver/frame_loop.h"
#include "driver/show_loading.h"
#include "effects/loudness.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "platform/web/web_display.h"
#include "platform/web/web_keys.h"

namespace {

enum ClockMode { kSteadyClock = 0, kAudioClock = 1, kManualClock = 2 };

struct Page {
    WebDisplay display{kFrameWidth, kFrameHeight};
    FrameLoop loop{display};
    bool loaded = false;
    bool started = false;
    bool ended = false;
};

std::unique_ptr<Page>& page() {
    static std::unique_ptr<Page> instance;
    return instance;
}

}  // namespace

extern "C" {

// Loads the show from the current folder (the page's content). `clock`:
// 0 the steady clock (no sound), 1 the sound output's clock, 2 the manual
// clock of the test hook. Returns 1 when the show can start.
EMSCRIPTEN_KEEPALIVE int vg_load(int clock) {
    if (page()) vrlShutDown();
    page() = std::make_unique<Page>();
    webClearKeys();
    vrlMuteSound(clock == kSteadyClock ? 1 : 0);
    ShowLoading loading;
    loading.manualClock = clock == kManualClock;
    loading.progress = [](const char* text) {
        std::printf("%s", text);
        std::fflush(stdout);
    };
    page()->loaded = loadShow(loading);
    vrlSetKeySource(webKeySource);
    return page()->loaded ? 1 : 0;
}

// Starts the clock (and the sound) at `startMs`.
EMSCRIPTEN_KEEPALIVE void vg_start(int startMs) {
    if (!page() || !page()->loaded) return;
    startShow(startMs);
    page()->started = true;
}

// One pass of the frame loop; the picture is then in vg_image. Returns 1
// once the show has ended (that frame is still drawn).
EMSCRIPTEN_KEEPALIVE int vg_frame() {
    Page* p = page().get();
    if (!p || !p->started) return 1;
    if (!p->ended) p->ended = p->loop.runPass();
    return p->ended ? 1 : 0;
}

// Reading the clock keeps the sound's schedule filled. The page calls this
// from a timer as well, which still runs in a background tab where
// animation frames stop; the next frame latches the clock again anyway.
EMSCRIPTEN_KEEPALIVE void vg_audio_pump() {
    if (page() && page()->started && !page()->ended) vrlUpdateTimer();
}

// A vrlKey, or 27 for Escape.
EMSCRIPTEN_KEEPALIVE void vg_key(int key) {
    if (key == 27)
        webPressEscape();
    else
        webPressKey(key);
}

EMSCRIPTEN_KEEPALIVE int vg_position() { return vrlGetModulePosition(); }
EMSCRIPTEN_KEEPALIVE int vg_paused() { return vrlIsPaused(); }
EMSCRIPTEN_KEEPALIVE int vg_audio_live() { return vrlIsAudioLive(); }

// 0 pixels, 1 cells (`columns` x `rows`), 2 characters. Returns the look
// in force (characters fall back to pixels when libcaca cannot draw).
EMSCRIPTEN_KEEPALIVE int vg_set_look(int look, int columns, int rows) {
    if (!page()) return 0;
    page()->display.setLook(static_cast<WebLook>(look == 1 || look == 2 ? look : 0), columns, rows);
    return static_cast<int>(page()->display.look());
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* vg_image() { return page() ? page()->display.image() : nullptr; }
EMSCRIPTEN_KEEPALIVE int vg_image_width() { return page() ? page()->display.imageWidth() : 0; }
EMSCRIPTEN_KEEPALIVE int vg_image_height() { return page() ? page()->display.imageHeight() : 0; }
// Changes whenever vg_image holds a new picture: while the show is paused
// it stays, and the page need not draw it again.
EMSCRIPTEN_KEEPALIVE unsigned vg_image_serial() { return page() ? page()->display.imageSerial() : 0; }
EMSCRIPTEN_KEEPALIVE const char* vg_title() { return page() ? page()->display.title().c_str() : ""; }

// The test hook, after vg_load(2): the show's frame at `ms` (latched,
// cleared, every active effect drawn), in the frame layout, and the
// loudness the effects read there. Warm-up frames are the same calls at
// earlier positions.
EMSCRIPTEN_KEEPALIVE const unsigned int* vg_render_at(int ms) { return renderShowFrameAt(ms); }

// Hands the frame buffer as it stands to the picture (vg_image).
EMSCRIPTEN_KEEPALIVE void vg_present() {
    if (page()) page()->display.present(frameBufferView());
}

EMSCRIPTEN_KEEPALIVE float vg_energy() { return spectrumEnergy(); }

// Ends the show and frees the engine; vg_load may run again.
EMSCRIPTEN_KEEPALIVE void vg_shut_down() {
    if (!page()) return;
    vrlSetKeySource(nullptr);
    vrlShutDown();
    page().reset();
}

}  // extern "C"
