#include "platform/caca_console.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/caca_terminal.h"
#include "platform/console_input.h"

namespace {

struct Console {
    caca_canvas_t* canvas = nullptr;
    caca_display_t* display = nullptr;
    std::unique_ptr<ConsoleInputSource> input;
    bool onTerminal = false;     // a curses driver, not a window
};

// One console per process, like the terminal it stands for.
Console g_console;
// The command line's choice of driver, which outlives any one console.
std::string g_driver;

const char* chosenDriver() {
    if (!g_driver.empty()) return g_driver.c_str();
    return std::getenv("CACA_DRIVER");
}

}  // namespace

int caca_init() {
    if (g_console.display) return 0;
    // libcaca's terminal drivers end the whole process when there is no
    // usable terminal, so ask before handing it over: no terminal is a
    // console that does not start, which the show reports and survives.
    const bool onTerminal = cacaDrawsOnTerminal(chosenDriver());
    if (onTerminal && !cacaTakeTerminal()) return -1;
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
    if (onTerminal) cacaTerminalTaken();
    g_console.input = cacaInputSource(g_console.display, onTerminal);
    consoleInputPump().attach(g_console.input.get());
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
    if (g_console.onTerminal) cacaRedrawIfContinued();
    caca_refresh_display(g_console.display);
}

void caca_free_bitmap(caca_dither_t* bitmap) {
    if (bitmap) caca_free_dither(bitmap);
}

void caca_end() {
    if (g_console.display && g_console.onTerminal) cacaTerminalLeaving();
    if (g_console.input) consoleInputPump().attach(nullptr);
    if (g_console.display) caca_free_display(g_console.display);
    if (g_console.canvas) caca_free_canvas(g_console.canvas);
    // The display gave the terminal back itself, all but the title.
    cacaTerminalGivenBack();
    g_console = Console{};
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
