#pragma once
// The few console and keyboard calls the show makes. On Windows they are the
// system's own; elsewhere the stand-ins below, built on the terminal and
// libcaca's event queue, of which only what the show uses exists.
#ifdef _WIN32
#include <windows.h>
#else

typedef int BOOL;
typedef void* HANDLE;
typedef unsigned long DWORD;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr int VK_ESCAPE = 0x1B;

struct CONSOLE_CURSOR_INFO {
    DWORD dwSize;
    BOOL bVisible;
};

// Hides or shows the text cursor of the terminal the show runs in.
int ShowCursor(BOOL show);
HANDLE GetStdHandle(DWORD which);
BOOL SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO* info);

// Non-zero when the key was pressed since the last call or is reported as
// held. Only VK_ESCAPE is known. A quit request (Ctrl+C, SIGINT, SIGTERM,
// SIGHUP, a closed window) also reads as Escape, so every way out goes
// through the show's normal shutdown and the terminal is restored.
short GetAsyncKeyState(int key);
#endif
