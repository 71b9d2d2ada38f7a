// The Windows side of platform/win_console.h, for now: the cursor and the
// keys through libcaca's win32 driver, which owns the console while the
// show plays (the console of Windows itself comes with the console picture
// for Windows).
#include "platform/win_console.h"

#include "platform/caca_console.h"
#include "platform/console_input.h"

namespace {

// Any non-zero handle will do: there is one console.
int g_stdoutToken = 0;

}  // namespace

int ShowCursor(BOOL show) {
    if (caca_display_t* display = consoleDisplay()) caca_set_mouse(display, show ? 1 : 0);
    return show ? 0 : -1;
}

HANDLE GetStdHandle(DWORD which) { return which == STD_OUTPUT_HANDLE ? &g_stdoutToken : nullptr; }

BOOL SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO* info) {
    if (console != &g_stdoutToken || !info) return FALSE;
    if (caca_display_t* display = consoleDisplay()) caca_set_cursor(display, info->bVisible ? 1 : 0);
    return TRUE;
}

short GetAsyncKeyState(int key) {
    if (key != VK_ESCAPE) return 0;
    return takeEscapePress() ? static_cast<short>(0x8001) : 0;
}
