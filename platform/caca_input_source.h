#pragma once
// The libcaca display's input: its key presses and the closing of its
// window, read from its event queue without waiting.
#include <caca.h>

#include "platform/console_input.h"

// What a libcaca key code means to the show.
ConsoleInput consoleInputForCacaKey(int key);

class CacaInputSource : public ConsoleInputSource {
public:
    explicit CacaInputSource(caca_display_t* display) : display_(display) {}
    std::optional<ConsoleInput> next() override;

private:
    caca_display_t* display_;
};
