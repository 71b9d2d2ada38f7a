#include "driver/show.h"

#include "platform/caca_console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "driver/data_folder.h"
#include "driver/schedule.h"
#include "engine/vrl.h"
#include "platform/console_input.h"
#include "platform/win_console.h"

namespace {

// Title shown between opening the console and the first frame.
const char* const kOpeningTitle = "\"Vesper Glint \" by Norvale @ Glyphfest XIII";

void progress(const char* dots) {
    std::printf("%s", dots);
    std::fflush(stdout);
}

// Start-up until the console opens. A quit request (Ctrl+C, a quit signal)
// is looked at between the steps and between the effects being made; the
// signal also interrupts a step that waits in a read or an open. Returns
// false when loading stopped for it.
bool loadShow() {
    vrlSetLogging(1);
    vrlMakePAK("resources/", "datafile.pak");
    progress("Loading.");
    if (quitRequested()) return false;
    vrlSetupInstances();
    vrlInitFrameBuffer(320, 200);
    vrlInitSound();
    progress(".");
    if (quitRequested()) return false;
    vrlReadPak("datafile.pak");
    progress(".");
    if (quitRequested()) return false;
    vrlLoadSong("kelmuth.ogg");
    progress(".");
    if (quitRequested()) return false;
    vrlAddRenderToTexture(320, 200, "renderToTexture00");
    vrlAddRenderToTexture(320, 200, "renderToTexture01");
    vrlAddRenderToTexture(256, 256, "renderToTexture02");
    registerSchedule(quitRequested);
    if (quitRequested()) return false;
    vrlInitEffects();
    progress(".\n");
    return !quitRequested();
}

caca_dither_t* openConsole() {
    if (caca_init() != 0) throw "Couldn't initialize LibCaCa";
    // From here on a message printed to the terminal would land in the
    // picture; the engine keeps them until the console is closed.
    vrlHoldMessages(1);
    vrlSetKeySource(pumpConsoleInput);
    caca_set_delay(0);
    caca_set_window_title(kOpeningTitle);
    caca_dither_t* bitmap = caca_create_bitmap(32, 320, 200, 1280, 0xFF, 0xFF00, 0xFF0000, 0);
    ShowCursor(FALSE);
    CONSOLE_CURSOR_INFO cursor = {1, FALSE};
    SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursor);
    return bitmap;
}

void runFrames(caca_dither_t* bitmap) {
    char title[256];
    bool ended = false;
    while (!ended) {
        vrlUpdateTimer();
        vrlCheckControls(1000.0f);
        std::snprintf(title, sizeof title, "time = %d", vrlGetModulePosition());
        caca_set_window_title(title);
        if (frameEndsShow(vrlGetModulePosition(), GetAsyncKeyState(VK_ESCAPE))) ended = true;
        // The frame that ends the show is still drawn.
        std::memset(vrlGetFrameBuffer(), 0, 320 * 200 * 4);
        vrlRun();
        if (bitmap) caca_draw_bitmap(0, 0, 80, 50, bitmap, vrlGetFrameBuffer());
        caca_refresh();
    }
}

// The show reads its content by plain names from its working folder, so it
// works from inside the content folder. False with the reason when it
// cannot get there.
bool enterDataFolder(const std::string& named, std::string& error) {
    const DataSearch search = findDataFolder(named);
    if (!search.found()) {
        error = search.error;
        return false;
    }
    if (chdir(search.folder.c_str()) != 0) {
        error = "cannot enter the content folder " + search.folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool frameEndsShow(int position, short escapeState) {
    return position > kShowEndMs || escapeState != 0;
}

int runShow(const ShowSettings& settings) {
    std::string error;
    if (!enterDataFolder(settings.dataFolder, error)) {
        std::fprintf(stderr, "vesper-glint: %s\n", error.c_str());
        return 1;
    }
    consoleUseDriver(settings.driver);
    vrlMuteSound(settings.mute ? 1 : 0);
    caca_dither_t* bitmap = nullptr;
    bool consoleOpen = false;
    try {
        if (loadShow()) {
            bitmap = openConsole();
            consoleOpen = true;
            vrlInitTimer();
            vrlPlaySong(1);
            // Effects catch up from there as they do after a seek.
            if (settings.startMs > 0) vrlSeek(settings.startMs);
            runFrames(bitmap);
        } else {
            progress("\n");  // ends the loading line; no console was opened
        }
    } catch (const char* message) {
        vrlMsg("%s", message);
    }
    // A console that never opened has neither a bitmap nor a display to end.
    if (bitmap) caca_free_bitmap(bitmap);
    if (consoleOpen) caca_end();
    vrlSetKeySource(nullptr);
    vrlShutDown();
    ShowCursor(TRUE);
    return 0;
}
