// The console calls of platform/win_console.h, for the page: there is no
// text cursor to hide, and Escape is what the page's key handler saw.
#include "platform/win_console.h"

#include "platform/web/web_keys.h"

int ShowCursor(BOOL) { return 0; }

HANDLE GetStdHandle(DWORD) { return nullptr; }

BOOL SetConsoleCursorInfo(HANDLE, const CONSOLE_CURSOR_INFO*) { return TRUE; }

short GetAsyncKeyState(int key) {
    if (key != VK_ESCAPE) return 0;
    return webTakeEscape() ? 1 : 0;
}
