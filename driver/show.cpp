#include "driver/show.h"

#include "platform/caca_console.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "driver/data_folder.h"
#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "platform/caca_display.h"
#include "platform/console_input.h"
#include "platform/frame_display.h"
#include "platform/signal_guard.h"
#include "platform/truecolor_console.h"
#include "platform/win_console.h"

namespace {

// Title shown between opening the console and the first frame.
const char* const kOpeningTitle = "\"Vesper Glint \" by Norvale @ Glyphfest XIII";

void progress(const char* dots) {
    std::printf("%s", dots);
    std::fflush(stdout);
}

caca_dither_t* openConsole() {
    if (caca_init() != 0) throw "Couldn't initialize LibCaCa";
    // From here on a message printed to the terminal would land in the
    // picture; the engine keeps them until the console is closed.
    vrlHoldMessages(1);
    vrlSetKeySource(pumpConsoleInput);
    caca_set_delay(0);
    caca_set_window_title(kOpeningTitle);
    caca_dither_t* bitmap = caca_create_bitmap(32, kFrameWidth, kFrameHeight, kFrameBytesPerRow, 0xFF, 0xFF00, 0xFF0000, 0);
    ShowCursor(FALSE);
    CONSOLE_CURSOR_INFO cursor = {1, FALSE};
    SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursor);
    return bitmap;
}

// The truecolor picture takes the terminal the way the console does: the
// engine's messages wait, keys go through the input pump. An error text
// when the terminal cannot be taken over.
std::string openTruecolor(TruecolorConsole& console) {
    std::string error = console.open();
    if (!error.empty()) return error;
    vrlHoldMessages(1);
    consoleInputPump().attach(&console);
    vrlSetKeySource(pumpConsoleInput);
    console.setTitle(kOpeningTitle);
    return {};
}

void closeTruecolor(TruecolorConsole& console) {
    consoleInputPump().attach(nullptr);
    console.close();
}

void runFrames(FrameDisplay& display) {
    char title[256];
    bool ended = false;
    unsigned continues = continuedCount();
    while (!ended) {
        // Stopped and continued: the show goes on where it was.
        if (continuedCount() != continues) {
            continues = continuedCount();
            vrlContinueAfterStop();
        }
        vrlUpdateTimer();
        vrlCheckControls(1000.0f);
        std::snprintf(title, sizeof title, "time = %d", vrlGetModulePosition());
        display.setTitle(title);
        if (frameEndsShow(vrlGetModulePosition(), GetAsyncKeyState(VK_ESCAPE))) ended = true;
        // The frame that ends the show is still drawn.
        std::memset(vrlGetFrameBuffer(), 0, kFramePixels * sizeof(unsigned int));
        vrlRun();
        display.present(vrlGetFrameBuffer());
        display.waitForNextFrame();
    }
}

void startSong(const ShowSettings& settings) {
    vrlInitTimer();
    vrlPlaySong(1);
    // Effects catch up from there as they do after a seek.
    if (settings.startMs > 0) vrlSeek(settings.startMs);
}

// The truecolor show; false when the terminal could not be taken over
// (said on stderr), so the caller falls back to the classic picture.
bool playTruecolor(const ShowSettings& settings) {
    const int fps = settings.framesPerSecond > 0 ? settings.framesPerSecond : kTruecolorDefaultFps;
    TruecolorConsole console(settings.cells, fps);
    const std::string error = openTruecolor(console);
    if (!error.empty()) {
        std::fprintf(stderr, "vesper-glint: %s; showing the libcaca picture instead\n", error.c_str());
        return false;
    }
    try {
        startSong(settings);
        runFrames(console);
    } catch (...) {
        closeTruecolor(console);
        throw;
    }
    closeTruecolor(console);
    return true;
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
        ShowLoading loading;
        // Ctrl+C or a quit signal while loading ends the show before the
        // console opens; the signal also interrupts a step that waits in a
        // read or an open.
        loading.quitRequested = quitRequested;
        loading.progress = progress;
        if (!loadShow(loading)) {
            progress("\n");  // ends the loading line; no console was opened
        } else if (!wantsTruecolor(settings.display, std::getenv("COLORTERM")) ||
                   !playTruecolor(settings)) {
            bitmap = openConsole();
            consoleOpen = true;
            startSong(settings);
            CacaDisplay display(bitmap, settings.framesPerSecond);
            runFrames(display);
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
