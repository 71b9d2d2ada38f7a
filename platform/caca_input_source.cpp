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

ConsoleInput consoleInputForCacaKeys(int key, const std::function<std::optional<int>()>& waiting) {
    if (key != CACA_KEY_ESCAPE) return consoleInputForCacaKey(key);
    const std::optional<int> second = waiting();
    // Escape typed twice before the first was told apart is still Escape.
    if (!second || *second == CACA_KEY_ESCAPE) return ConsoleInput::Escape;
    if (*second == '[' || *second == 'O') {
        // A control sequence ends with a byte from '@' to '~'; a bound keeps
        // a flood of digits from holding the frame.
        constexpr int kLongestSequence = 32;
        for (int i = 0; i < kLongestSequence; ++i) {
            const std::optional<int> next = waiting();
            if (!next || (*next >= '@' && *next <= '~')) break;
        }
    }
    return ConsoleInput::Other;
}

std::optional<int> CacaInputSource::waitingKey() {
    caca_event_t event;
    if (!caca_get_event(display_, CACA_EVENT_KEY_PRESS, &event, 0)) return std::nullopt;
    return caca_get_event_key_ch(&event);
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
    return consoleInputForCacaKeys(caca_get_event_key_ch(&event), [this] { return waitingKey(); });
}
