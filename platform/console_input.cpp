#include "platform/console_input.h"

#include <algorithm>

#include "engine/vrl.h"
#include "platform/signal_guard.h"

namespace {

int engineKeyFor(ConsoleInput input) {
    switch (input) {
        case ConsoleInput::Left: return VRL_KEY_LEFT;
        case ConsoleInput::Right: return VRL_KEY_RIGHT;
        case ConsoleInput::Space: return VRL_KEY_SPACE;
        default: return 0;
    }
}

}  // namespace

void InputPump::attach(ConsoleInputSource* source) {
    source_ = source;
    engineKeys_.clear();
    escapePressed_ = false;
    quitInput_ = false;
}

void InputPump::drain() {
    if (!source_) return;
    // A source that never runs dry ends the drain once the queue is full.
    for (std::size_t read = 0; read <= kMaxWaitingKeys; ++read) {
        const std::optional<ConsoleInput> input = source_->next();
        if (!input) break;
        if (*input == ConsoleInput::Escape) escapePressed_ = true;
        if (*input == ConsoleInput::CtrlC || *input == ConsoleInput::WindowClosed)
            quitInput_ = true;
        // Returns once the shell has continued the show.
        if (*input == ConsoleInput::CtrlZ) stopLikeTheSuspendKey();
        const int engineKey = engineKeyFor(*input);
        if (engineKey && engineKeys_.size() < kMaxWaitingKeys) engineKeys_.push_back(engineKey);
    }
}

int InputPump::takeEngineKeys(int* keys, int capacity) {
    drain();
    const int count = std::clamp(static_cast<int>(engineKeys_.size()), 0, std::max(capacity, 0));
    std::copy_n(engineKeys_.begin(), count, keys);
    engineKeys_.erase(engineKeys_.begin(), engineKeys_.begin() + count);
    return count;
}

bool InputPump::takeEscapePress() {
    drain();
    const bool pressed = escapePressed_ || quitRequested();
    escapePressed_ = false;
    return pressed;
}

bool InputPump::quitRequested() const { return quitInput_ || quitSignalArrived(); }

InputPump& consoleInputPump() {
    static InputPump pump;
    return pump;
}

int pumpConsoleInput(int* keys, int capacity) {
    return consoleInputPump().takeEngineKeys(keys, capacity);
}

bool quitRequested() { return consoleInputPump().quitRequested(); }

bool takeEscapePress() { return consoleInputPump().takeEscapePress(); }
