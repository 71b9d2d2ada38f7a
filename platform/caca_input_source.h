#pragma once
// The libcaca display's input: its key presses and the closing of its
// window, read from its event queue without waiting.
#include <caca.h>

#include "platform/console_input.h"

// What a libcaca key code means to the show.
ConsoleInput consoleInputForCacaKey(int key);

class CacaInputSource : public ConsoleInputSource {
public:
    // `terminal`: the display draws on the terminal of standard input, whose
    // hang-up reads as a closed window.
    CacaInputSource(caca_display_t* display, bool terminal) : display_(display), terminal_(terminal) {}
    std::optional<ConsoleInput> next() override;

private:
    caca_display_t* display_;
    bool terminal_;
    bool hangUpSaid_ = false;
};
