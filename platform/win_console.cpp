#include "platform/win_console.h"

#include "platform/caca_console.h"
#include <unistd.h>

#include <cstdio>

#include "platform/console_input.h"
#include "platform/stalled_terminal.h"

namespace {

// The terminal's own cursor, switched with the standard DEC private mode.
void setTerminalCursorVisible(bool visible) {
    if (!isatty(STDOUT_FILENO)) return;
    std::fputs(visible ? "\033[?25h" : "\033[?25l", stdout);
    std::fflush(stdout);
}

// Any non-zero handle will do: there is one console.
int g_stdoutToken = 0;

}  // namespace

int ShowCursor(BOOL show) {
    // The mouse pointer over the picture (X11 driver), and once the console
    // is closed again, the terminal's text cursor.
    caca_display_t* display = consoleDisplay();
    if (display) caca_set_mouse(display, show ? 1 : 0);
    if (show && !display) setTerminalCursorVisible(true);
    return show ? 0 : -1;
}

HANDLE GetStdHandle(DWORD which) {
    return which == STD_OUTPUT_HANDLE ? &g_stdoutToken : nullptr;
}

BOOL SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO* info) {
    if (console != &g_stdoutToken || !info) return FALSE;
    if (caca_display_t* display = consoleDisplay()) caca_set_cursor(display, info->bVisible ? 1 : 0);
    setTerminalCursorVisible(info->bVisible != FALSE);
    return TRUE;
}

short GetAsyncKeyState(int key) {
    if (key != VK_ESCAPE || !takeEscapePress()) return 0;
    // The show ends after this frame: from here on no write to a terminal
    // that stopped reading may hold it.
    watchForStalledTerminal();
    return static_cast<short>(0x8001);
}
