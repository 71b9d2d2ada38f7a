#include "platform/caca_console.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/vrl.h"
#include "platform/caca_input_source.h"
#include "platform/console_input.h"
#include "platform/signal_guard.h"
#include "platform/stalled_terminal.h"
#include "platform/terminal_output.h"
#include "platform/terminfo_restore.h"

namespace {

struct Console {
    caca_canvas_t* canvas = nullptr;
    caca_display_t* display = nullptr;
    std::optional<CacaInputSource> input;
    bool onTerminal = false;     // a curses driver, not a window
    std::string enterBytes;      // what taking the terminal again sends
    unsigned continues = 0;      // continuedCount() last seen
};

// One console per process, like the terminal it stands for.
Console g_console;
// The command line's choice of driver, which outlives any one console.
std::string g_driver;

const char* chosenDriver() {
    if (!g_driver.empty()) return g_driver.c_str();
    return std::getenv("CACA_DRIVER");
}

bool wantsTerminalDriver() {
    const char* driver = chosenDriver();
    if (driver && *driver)
        return !std::strcmp(driver, "ncurses") || !std::strcmp(driver, "slang");
    const char* display = std::getenv("DISPLAY");
    return !display || !*display;
}

bool haveTerminal() {
    const char* term = std::getenv("TERM");
    return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && term && *term &&
           std::strcmp(term, "dumb") != 0;
}

void writeToTerminal(std::string_view bytes) {
    std::fflush(stdout);
    while (!bytes.empty()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Arms the signal guard with the terminal as it is now, before curses
// changes it, and pushes the title: libcaca's terminal driver sets its own
// ("caca for ncurses") and never puts the old one back. False when
// terminfo does not know the terminal type.
bool prepareTerminalRestore() {
    const char* term = std::getenv("TERM");
    const std::optional<CursesTerminalBytes> bytes = cursesTerminalBytes(term, STDOUT_FILENO);
    if (!bytes) {
        vrlMsg("Terminal type \"%s\" is unknown (no terminfo entry)", term);
        return false;
    }
    termios modes{};
    const bool haveModes = tcgetattr(STDOUT_FILENO, &modes) == 0;
    armTerminalRestore(STDOUT_FILENO, haveModes ? &modes : nullptr,
                       bytes->restore + std::string(kPopTitle));
    g_console.enterBytes = std::string(kPushTitle) + bytes->enter;
    writeToTerminal(kPushTitle);
    return true;
}

// Once curses has set its modes: a stop gives the terminal back, continuing
// sets those modes again and takes the screen back.
void prepareTerminalResume() {
    armTerminalResume(g_console.enterBytes);
    g_console.continues = continuedCount();
}

// After a continue curses still believes its picture is on the screen, which
// was cleared (or written over by the shell): have the next refresh send
// every cell.
void redrawAfterStop() {
    if (!g_console.onTerminal || continuedCount() == g_console.continues) return;
    g_console.continues = continuedCount();
    setDisplayModesAgain();
    cursesRedrawWhole();
}

}  // namespace

int caca_init() {
    if (g_console.display) return 0;
    // libcaca's terminal drivers end the whole process when there is no
    // usable terminal, so ask before handing it over: no terminal is a
    // console that does not start, which the show reports and survives.
    const bool onTerminal = wantsTerminalDriver();
    if (onTerminal && (!haveTerminal() || !prepareTerminalRestore())) return -1;
    g_console.canvas = caca_create_canvas(0, 0);
    if (g_console.canvas)
        g_console.display = g_driver.empty()
                                 ? caca_create_display(g_console.canvas)
                                 : caca_create_display_with_driver(g_console.canvas, g_driver.c_str());
    if (!g_console.display) {
        caca_end();
        return -1;
    }
    g_console.onTerminal = onTerminal;
    if (onTerminal) prepareTerminalResume();
    g_console.input.emplace(g_console.display, onTerminal);
    consoleInputPump().attach(&*g_console.input);
    return 0;
}

void caca_set_delay(int microseconds) {
    if (g_console.display) caca_set_display_time(g_console.display, microseconds);
}

void caca_set_window_title(const char* title) {
    if (g_console.display) caca_set_display_title(g_console.display, title);
}

caca_dither_t* caca_create_bitmap(int bitsPerPixel, int width, int height, int pitch,
                                  unsigned int redMask, unsigned int greenMask,
                                  unsigned int blueMask, unsigned int alphaMask) {
    return caca_create_dither(bitsPerPixel, width, height, pitch, redMask, greenMask, blueMask,
                              alphaMask);
}

void caca_draw_bitmap(int x1, int y1, int x2, int y2, caca_dither_t* bitmap, void* pixels) {
    if (!g_console.canvas || !bitmap || !pixels) return;
    const int width = std::min(x2, caca_get_canvas_width(g_console.canvas) - x1);
    const int height = std::min(y2, caca_get_canvas_height(g_console.canvas) - y1);
    if (width <= 0 || height <= 0) return;
    caca_dither_bitmap(g_console.canvas, x1, y1, width, height, bitmap, pixels);
}

void caca_refresh() {
    if (!g_console.display) return;
    redrawAfterStop();
    caca_refresh_display(g_console.display);
}

void caca_free_bitmap(caca_dither_t* bitmap) {
    if (bitmap) caca_free_dither(bitmap);
}

void caca_end() {
    // Curses waits for the terminal without end.
    if (g_console.display && g_console.onTerminal) watchForStalledTerminal();
    if (g_console.input) consoleInputPump().attach(nullptr);
    if (g_console.display) caca_free_display(g_console.display);
    if (g_console.canvas) caca_free_canvas(g_console.canvas);
    // The display gave the terminal back itself, all but the title; unless
    // the terminal stopped reading, and curses' modes went nowhere with its
    // output.
    if (terminalGivenUp()) restoreTerminalNow();
    else if (terminalRestoreArmed() && !g_console.enterBytes.empty()) writeToTerminal(kPopTitle);
    g_console = Console{};
    disarmTerminalRestore();
}

caca_display_t* consoleDisplay() { return g_console.display; }

std::vector<std::string> consoleDrivers() {
    // Pairs of name and description, ended by a null name.
    std::vector<std::string> names;
    char const* const* list = caca_get_display_driver_list();
    for (int i = 0; list && list[i]; i += 2) names.emplace_back(list[i]);
    return names;
}

void consoleUseDriver(const std::string& name) { g_driver = name; }
