#pragma once
// Asks the terminal on standard input and output what it can show, before
// a picture is chosen: the graphics query, whether it reads our shared
// memory, sixel support and colour registers, synchronized update, its
// pixels. The questions end with the device attributes, which every
// terminal answers, and answers in order: their arrival ends the wait at
// once. A terminal that says nothing costs the whole wait, never more.
#include <chrono>
#include <string>

#include "platform/terminal_replies.h"

struct TerminalProbe {
    bool asked = false;        // a terminal was there to ask
    TerminalReplies replies;
    std::string typed;         // keys typed meanwhile, replies taken out
};

constexpr std::chrono::milliseconds kTerminalProbeWait{250};

// Nothing is asked when standard input and output are not one terminal.
// The terminal's modes are as they were when this returns.
TerminalProbe probeTerminal(std::chrono::milliseconds wait = kTerminalProbeWait);

// Asks on `output` and reads the answers from `input` (in raw mode), at
// most for `wait`; the shared-memory probe names `sharedMemoryName` (empty:
// no probe).
TerminalProbe askTerminal(int input, int output, std::chrono::milliseconds wait,
                          const std::string& sharedMemoryName);
