#pragma once
// What the classic picture needs around libcaca on the terminal it was
// started from, kept apart from the libcaca calls (platform/caca_console.cpp)
// because it is the POSIX terminal's: libcaca's curses drivers take the
// terminal, so the signal guard is armed with what gives it back, the window
// title is pushed and popped around it, and a stop and continue draws the
// picture whole again. On Windows libcaca draws in a screen buffer of its
// own (its win32 driver): taking the console keeps its state to put back,
// and the keys come from the console's input records
// (platform/windows/caca_terminal.cpp).
#include <caca.h>

#include <memory>

#include "platform/console_input.h"

// Whether libcaca will draw on the terminal rather than in a window of its
// own: the driver named (`driver`, may be null or empty) is a curses one,
// or none is named and there is no X display.
bool cacaDrawsOnTerminal(const char* driver);

// Makes the terminal ready for libcaca's curses driver: false when there is
// no usable terminal (no TTY, no TERM, a type terminfo does not know), which
// libcaca would end the process for. Else the restore is armed and the
// window title pushed.
bool cacaTakeTerminal();

// Once the driver has set its modes: a stop gives the terminal back, a
// continue sets those modes again and takes the screen back.
void cacaTerminalTaken();

// Before a refresh: after a stop and continue the terminal was cleared (or
// written over) behind curses' back, so the next refresh sends every cell.
void cacaRedrawIfContinued();

// Before libcaca gives the terminal back: curses waits for the terminal
// without end, so the watch for one that stopped reading starts
// (platform/stalled_terminal.h).
void cacaTerminalLeaving();

// After libcaca has given the terminal back, all but the window title:
// pops the title and disarms the restore. Where the terminal stopped
// reading, curses' modes went nowhere with its output: the whole restore is
// written on the guard's own descriptor instead.
void cacaTerminalGivenBack();

// Where the open display's keys come from: libcaca's event queue, or on
// Windows the console's input records, which libcaca's win32 driver misses
// under wine.
std::unique_ptr<ConsoleInputSource> cacaInputSource(caca_display_t* display, bool onTerminal);
