#pragma once
// Which picture the show draws, from --display and what the terminal says
// about itself. Kept apart from the asking so the rules can be tried on
// recorded answers.
#include <string>

#include "driver/show_options.h"
#include "platform/terminal_probe.h"
#include "platform/terminal_replies.h"

enum class DisplayKind { Caca, Truecolor, Kitty, Sixel };

// Fewer colour registers than this make a poor sixel picture: --display
// auto then passes sixel by.
constexpr int kFewestSixelRegisters = 64;

struct TerminalFacts {
    bool truecolor = false;    // COLORTERM says 24-bit colour
    bool multiplexer = false;  // inside tmux or screen
    bool asked = false;        // the terminal was asked (and these are its replies)
    TerminalReplies replies;
};

// COLORTERM, and tmux or screen from their variables (TMUX, STY) or TERM;
// null for an unset variable.
bool colortermSaysTruecolor(const char* colorterm);
bool insideMultiplexer(const char* tmux, const char* sty, const char* term);

// Whether the choice needs the terminal's answers: auto outside tmux and
// screen, kitty and sixel always.
bool needsTerminalAnswers(DisplayChoice choice, bool multiplexer);

struct DisplayDecision {
    DisplayKind kind = DisplayKind::Caca;
    std::string note;  // why the choice is not the one asked for; said once
};

DisplayDecision decideDisplay(DisplayChoice choice, const TerminalFacts& facts);

// The decision for this process's terminal: the facts from the
// environment, and the terminal asked when the choice needs its answers
// (what it said, and keys typed meanwhile, land in `probe`).
DisplayDecision decideDisplayHere(DisplayChoice choice, TerminalProbe& probe);

// "libcaca", "truecolor", "kitty" or "sixel", for messages.
const char* displayName(DisplayKind kind);
