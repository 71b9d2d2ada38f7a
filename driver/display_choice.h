#pragma once
// Which picture the show draws, from --display and what the terminal says
// about itself. Kept apart from the asking so the rules can be tried on
// recorded answers; the rules themselves are the rows' (display_table.h).
#include <string>
#include <string_view>

#include "driver/display_table.h"
#include "platform/terminal_probe.h"

// COLORTERM, and tmux or screen from their variables (TMUX, STY) or TERM;
// null for an unset variable.
bool colortermSaysTruecolor(const char* colorterm);
bool insideMultiplexer(const char* tmux, const char* sty, const char* term);

// Whether the choice (a row's name or "auto") needs the terminal's
// answers: auto outside tmux and screen, the rows that ask always.
bool needsTerminalAnswers(std::string_view choice, bool multiplexer);

struct DisplayDecision {
    const DisplayRow* row = &classicDisplay();
    std::string note;  // why the choice is not the one asked for; said once
};

// `choice` is a row's name or "auto"; an unknown name gets the classic picture.
DisplayDecision decideDisplay(std::string_view choice, const TerminalFacts& facts);

// The decision for this process's terminal: the facts from the
// environment, and the terminal asked when the choice needs its answers
// (what it said, and keys typed meanwhile, land in `probe`).
DisplayDecision decideDisplayHere(std::string_view choice, TerminalProbe& probe);
