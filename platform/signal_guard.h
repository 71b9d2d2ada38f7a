#pragma once
// The process's signal handling, one piece for every display path.
//
// Quit signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) only raise a quit request:
// the program ends through its normal shutdown, which restores the terminal;
// they also start the watch for a terminal that stopped reading
// (platform/stalled_terminal.h), whose timer signal is handled here too.
// Every other signal whose default action ends the process (SIGSEGV, SIGABRT,
// SIGBUS, SIGFPE, SIGILL, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, ...) cannot
// wait for that: its handler puts back what the open display registered and
// removes our shared memory objects (platform/shared_frames.h), using only
// async-signal-safe calls, and then dies by the same signal with its default
// action, so the exit status still tells what happened. A library that
// calls exit() while a display is open gets the same. The terminal gets at
// most a second to take what is written to it, on a descriptor of the
// guard's own that never waits longer.
//
// Stop and continue (SIGTSTP, or Ctrl+Z through stopLikeTheSuspendKey) put
// the terminal back the same way but keep the restore armed; the process
// then stops. Continued in the foreground, it sets the display's modes again
// and writes the display's enter bytes before any other code of it runs, so
// whatever the program was writing lands on its own screen. SIGSTOP cannot
// be caught: after it only the continue is seen (continuedCount).
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
// The quit signal that arrived (the last one), or 0.
int arrivedQuitSignal();
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
// What continuing after a stop writes to the armed terminal to take it over
// again (alternate screen, hidden cursor, ...); call after
// armTerminalRestore, once the display has set its own modes: they are read
// here and set again on every continue. False (nothing armed for a resume)
// when no restore is armed or `bytes` is longer than kMaxRestoreBytes.
bool armTerminalResume(std::string_view bytes);
void disarmTerminalRestore();
bool terminalRestoreArmed();

// Performs the armed restore once and disarms it; async-signal-safe. What the
// handlers call; a display path may call it on an error path of its own.
void restoreTerminalNow();

// Sets the modes armTerminalResume read (or the last stop found) on the
// armed terminal again: after a SIGSTOP the shell may have changed them.
void setDisplayModesAgain();

// How many times the process was continued after a stop. The frame loop and
// the displays remember the count they saw: a new one means the time
// stopped must not count and the screen must be drawn whole again.
unsigned continuedCount();

// Ctrl+Z read as a byte in raw mode: stops the process group, as the
// terminal's suspend key would have.
void stopLikeTheSuspendKey();

std::span<const int> quitSignals();
std::span<const int> fatalSignals();

// For a program that writes pipes and files and wants a failed write as an
// error with its reason, not its end: a reader that went away (SIGPIPE), a
// file-size limit (SIGXFSZ). Windows has neither signal: nothing to do there.
void ignoreBrokenPipes();
void ignoreFileSizeLimit();
