#pragma once
// The libcaca display's input: its key presses and the closing of its
// window, read from its event queue without waiting.
#include <caca.h>

#include <functional>
#include <optional>

#include "platform/console_input.h"

// What a libcaca key code means to the show.
ConsoleInput consoleInputForCacaKey(int key);
// What `key` means with the keys already waiting behind it (`waiting`
// takes the next one, nothing once none waits). A key typed with Alt, and a
// sequence the console library does not know (a focus report, a function
// key past its list), arrive as Escape followed at once by the rest: they
// are Other, and the rest of the sequence is taken with them. Only an
// Escape with nothing behind it is the Escape key.
ConsoleInput consoleInputForCacaKeys(int key, const std::function<std::optional<int>()>& waiting);

class CacaInputSource : public ConsoleInputSource {
public:
    // `terminal`: the display draws on the terminal of standard input, whose
    // hang-up reads as a closed window.
    CacaInputSource(caca_display_t* display, bool terminal) : display_(display), terminal_(terminal) {}
    std::optional<ConsoleInput> next() override;

private:
    std::optional<int> waitingKey();

    caca_display_t* display_;
    bool terminal_;
    bool hangUpSaid_ = false;
};
