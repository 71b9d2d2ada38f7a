#pragma once
// A terminal that stops reading (a frozen emulator, a stalled ssh link)
// must not keep the show from ending. Our own writes to it are bounded
// (platform/terminal_output.h), but a library's (curses, stdio) wait for
// ever. So once the show is on its way out (a quit, a console closing), the
// terminal on standard output is looked at four times a second; when it
// has had no room for output for kStalledTerminalMs, standard output and
// error, where they are that terminal, are pointed at /dev/null: a write
// waiting there goes on, and what the show still writes there is dropped.
// The terminal's modes are still put back through a descriptor of the
// signal guard's own.
#include <chrono>

constexpr std::chrono::milliseconds kStalledTerminalMs{1000};

// Opens what the watch needs and makes its timer, which raises `signal` on
// the process (the signal guard handles it and calls checkStalledTerminal
// on the main thread). Once a process: a forked child prepares anew, since
// it inherits no timer.
void prepareStalledTerminalWatch(int signal);
// Starts the checks, which go on until the process ends; a repeat changes
// nothing. Async-signal-safe.
void watchForStalledTerminal();
// One check. Async-signal-safe.
void checkStalledTerminal();
// True once standard output was given up.
bool terminalGivenUp();
