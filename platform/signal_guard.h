#pragma once
// The process's signal handling, one piece for every display path.
//
// Quit signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) only raise a quit request:
// the program ends through its normal shutdown, which restores the terminal.
// Every other signal whose default action ends the process (SIGSEGV, SIGABRT,
// SIGBUS, SIGFPE, SIGILL, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, ...) cannot
// wait for that: its handler puts back what the open display registered,
// using only async-signal-safe calls, and then dies by the same signal with
// its default action, so the exit status still tells what happened. A library
// that calls exit() while a display is open gets the same restore.
//
// A display path registers its restore when it takes the terminal over and
// clears it when it has given the terminal back normally.
#include <termios.h>

#include <span>
#include <string_view>

// Installs every handler. Call on the first line of main, before any library
// (SDL, ncurses) looks at the signals: both leave a handler alone that is not
// the default one. The thread that calls it is the one a quit signal wakes,
// so a blocking call there returns (EINTR) and the request is seen promptly.
void installSignalGuard();

// True once a quit signal arrived.
bool quitSignalArrived();
// Forgets an arrived quit signal (tests).
void forgetQuitSignal();

// What a fatal signal must put back on the terminal: `modes` on the terminal
// `fd` (its termios before the display changed it), then `bytes` written to
// it (leave the alternate screen, show the cursor, reset attributes, ...).
// `modes` may be null: then only the bytes are written. Copied into fixed
// storage; false (and nothing armed) if `bytes` is longer than
// kMaxRestoreBytes or `fd` is negative.
constexpr std::size_t kMaxRestoreBytes = 512;
bool armTerminalRestore(int fd, const termios* modes, std::string_view bytes);
void disarmTerminalRestore();
bool terminalRestoreArmed();

// Performs the armed restore once and disarms it; async-signal-safe. What the
// handlers call; a display path may call it on an error path of its own.
void restoreTerminalNow();

std::span<const int> quitSignals();
std::span<const int> fatalSignals();
