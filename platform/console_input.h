#pragma once
// The console's one input pump. Each frame the engine calls it through its
// key source; it drains libcaca's event queue, passes Left, Right and Space
// on to the engine and remembers Escape and quit requests for
// GetAsyncKeyState.

// Matches vrlKeySource: fills `keys` with engine keys, returns their count.
int pumpConsoleInput(int* keys, int capacity);

// True once a quit request (a quit signal, see platform/signal_guard.h;
// Ctrl+C; a closed window) arrived.
bool quitRequested();

// True when Escape was pressed since the last call or a quit was requested;
// clears the remembered press.
bool takeEscapePress();
