#include "driver/show.h"

#include "platform/caca_console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "driver/data_folder.h"
#include "driver/display_choice.h"
#include "driver/frame_loop.h"
#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/frame.h"
#include "engine/system_names.h"
#include "engine/vrl.h"
#include "platform/caca_display.h"
#include "platform/console_input.h"
#include "platform/frame_display.h"
#include "platform/frame_pacer.h"
#include "platform/signal_guard.h"
#include "platform/terminal_console.h"
#include "platform/terminal_probe.h"
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

// A picture on the raw terminal takes it the way the console does: the
// engine's messages wait, keys go through the input pump. An error text
// when the terminal cannot be taken over.
std::string openTerminalConsole(TerminalConsole& console, const std::string& typedBefore) {
    std::string error = console.open();
    if (!error.empty()) return error;
    console.addEarlyInput(typedBefore);
    vrlHoldMessages(1);
    consoleInputPump().attach(&console);
    vrlSetKeySource(pumpConsoleInput);
    console.setTitle(kOpeningTitle);
    return {};
}

void closeTerminalConsole(TerminalConsole& console) {
    consoleInputPump().attach(nullptr);
    console.close();
}

// Paused, no frame is drawn: the loop looks at the keys this often rather
// than as fast as it can spin.
constexpr int kHeldPassesPerSecond = 30;

void runFrames(FrameDisplay& display) {
    FrameLoop loop(display);
    FramePacer heldPacer(kHeldPassesPerSecond);
    bool ended = false;
    unsigned continues = continuedCount();
    while (!ended) {
        // Stopped and continued: the show goes on where it was.
        if (continuedCount() != continues) {
            continues = continuedCount();
            vrlContinueAfterStop();
        }
        ended = loop.runPass();
        display.waitForNextFrame();
        if (loop.holding()) heldPacer.wait();
    }
}

// A show on the raw terminal; false when the terminal could not be taken
// over (said on stderr), so the caller falls back to the classic picture.
bool playOnTerminal(const DisplayRow& row, const ShowSettings& settings, const TerminalProbe& probe) {
    const std::unique_ptr<TerminalConsole> console =
        row.makeConsole({settings.cells, framesPerSecondFor(row, settings.framesPerSecond), probe.replies});
    const std::string error = openTerminalConsole(*console, probe.typed);
    if (!error.empty()) {
        std::fprintf(stderr, "vesper-glint: the %s picture %s; showing the %s picture instead\n",
                     std::string(row.title).c_str(), error.c_str(), std::string(classicDisplay().title).c_str());
        return false;
    }
    try {
        startShow(settings.startMs);
        runFrames(*console);
    } catch (...) {
        closeTerminalConsole(*console);
        throw;
    }
    closeTerminalConsole(*console);
    return true;
}

// Which picture to draw: asks the terminal when the choice depends on its
// answers, and says once why the picture is not the one asked for.
const DisplayRow& chooseDisplay(const ShowSettings& settings, TerminalProbe& probe) {
    const DisplayDecision decision = decideDisplayHere(settings.display, probe);
    if (!decision.note.empty()) std::fprintf(stderr, "vesper-glint: %s\n", decision.note.c_str());
    return *decision.row;
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
    if (std::string reason; !enterFolder(search.folder, reason)) {
        error = "cannot enter the content folder " + search.folder + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace

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
        TerminalProbe probe;
        if (!loadShow(loading)) {
            progress("\n");  // ends the loading line; no console was opened
        } else if (const DisplayRow& row = chooseDisplay(settings, probe);
                   !row.makeConsole || !playOnTerminal(row, settings, probe)) {
            bitmap = openConsole();
            consoleOpen = true;
            startShow(settings.startMs);
            CacaDisplay display(bitmap, framesPerSecondFor(classicDisplay(), settings.framesPerSecond));
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
