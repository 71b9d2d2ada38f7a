#pragma once
// The console's one input pump. Each frame the engine calls it through its
// key source; it drains libcaca's event queue, passes Left, Right and Space
// on to the engine and remembers Escape and quit requests for
// GetAsyncKeyState.

// Matches vrlKeySource: fills `keys` with engine keys, returns their count.
int pumpConsoleInput(int* keys, int capacity);

// SIGINT, SIGTERM and SIGHUP become a quit request instead of killing the
// process with the terminal still in raw mode.
void installQuitHandlers();

// True once a quit request (signal, Ctrl+C, closed window) arrived.
bool quitRequested();

// True when Escape was pressed since the last call or a quit was requested;
// clears the remembered press.
bool takeEscapePress();
