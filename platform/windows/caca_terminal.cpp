// The Windows side of platform/caca_terminal.h: libcaca's win32 driver
// makes a console screen buffer of its own and gives the console back when
// it ends, so there is no terminal to take, arm or give back.
#include "platform/caca_terminal.h"

bool cacaDrawsOnTerminal(const char*) { return false; }

bool cacaTakeTerminal() { return false; }

void cacaTerminalTaken() {}

void cacaRedrawIfContinued() {}

void cacaTerminalLeaving() {}

void cacaTerminalGivenBack() {}
