#pragma once
// Writing to a terminal that may stop reading (a frozen emulator, a stalled
// link): on a non-blocking descriptor of our own every write waits for the
// terminal at most until a deadline, and what it has not taken by then is
// dropped, so no write can hold the show for ever.
#include <chrono>
#include <string_view>

// The window title saved on the terminal's title stack, and put back
// exactly as it was.
constexpr std::string_view kPushTitle = "\x1b[22;0t";
constexpr std::string_view kPopTitle = "\x1b[23;0t";

// True when `a` and `b` are both terminals, and the same one.
bool sameTerminal(int a, int b);

// A non-blocking descriptor of our own for the terminal on `shared`, so
// making it non-blocking does not change the descriptor the shell shares
// with us; -1 when none to that very terminal can be opened.
int openOwnTerminal(int shared, int access);

// Writes `bytes` to `fd`, waiting for the terminal until `deadline` at the
// most (on a non-blocking descriptor); true when all of it went.
// Async-signal-safe: the signal guard writes with it.
bool writeWithin(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline);
bool writeWithin(int fd, std::string_view bytes, std::chrono::milliseconds wait);
