#include "platform/caca_input_source.h"

#include <unistd.h>

#include "platform/raw_terminal.h"

ConsoleInput consoleInputForCacaKey(int key) {
    switch (key) {
        case CACA_KEY_ESCAPE: return ConsoleInput::Escape;
        case CACA_KEY_CTRL_C: return ConsoleInput::CtrlC;
        case CACA_KEY_CTRL_Z: return ConsoleInput::CtrlZ;
        case CACA_KEY_LEFT: return ConsoleInput::Left;
        case CACA_KEY_RIGHT: return ConsoleInput::Right;
        case ' ': return ConsoleInput::Space;
        default: return ConsoleInput::Other;
    }
}

std::optional<ConsoleInput> CacaInputSource::next() {
    if (terminal_ && !hangUpSaid_ && terminalHungUp(STDIN_FILENO)) {
        hangUpSaid_ = true;
        return ConsoleInput::WindowClosed;
    }
    caca_event_t event;
    if (!display_ || !caca_get_event(display_, CACA_EVENT_KEY_PRESS | CACA_EVENT_QUIT, &event, 0))
        return std::nullopt;
    if (caca_get_event_type(&event) == CACA_EVENT_QUIT) return ConsoleInput::WindowClosed;
    return consoleInputForCacaKey(caca_get_event_key_ch(&event));
}
