#pragma once
// The console's one input pump. A display path turns what its terminal or
// window delivers into ConsoleInputs (its ConsoleInputSource); each frame the
// engine asks the pump for keys through its key source, and GetAsyncKeyState
// asks it for Escape. Every key counts, in the order it arrived.
#include <cstddef>
#include <deque>
#include <optional>

// What the show tells apart; everything else is Other.
enum class ConsoleInput { Escape, Left, Right, Space, CtrlC, CtrlZ, WindowClosed, Other };

class ConsoleInputSource {
public:
    virtual ~ConsoleInputSource() = default;
    // The next input that has arrived, or nothing when none waits. Never
    // blocks.
    virtual std::optional<ConsoleInput> next() = 0;
};

class InputPump {
public:
    // A guard against a source that never runs dry: more engine keys than
    // this never wait at once, and one drain reads no more inputs than this
    // (a frame's worth of terminal input is a few thousand at most).
    static constexpr std::size_t kMaxWaitingKeys = 65536;

    // Null detaches. Either way what waited from the old source is forgotten.
    void attach(ConsoleInputSource* source);
    // Reads all the source has now: Left, Right and Space wait for the
    // engine; Escape, Ctrl+C and a closed window are remembered; Ctrl+Z
    // stops the process there and then, as the terminal's suspend key.
    void drain();
    // Drains, then hands out up to `capacity` waiting engine keys (vrlKey
    // values), oldest first; the rest wait for the next call. Matches
    // vrlKeySource.
    int takeEngineKeys(int* keys, int capacity);
    // True when Escape arrived since the last call or a quit was requested;
    // clears the remembered Escape. Drains first; engine keys stay queued.
    bool takeEscapePress();
    // Ctrl+C, a closed window, or a quit signal (platform/signal_guard.h).
    bool quitRequested() const;

private:
    ConsoleInputSource* source_ = nullptr;
    std::deque<int> engineKeys_;
    bool escapePressed_ = false;
    bool quitInput_ = false;
};

// The process's pump: one console per process, like the terminal.
InputPump& consoleInputPump();

// The process pump's calls, for the engine and the Windows stand-ins.
int pumpConsoleInput(int* keys, int capacity);
bool quitRequested();
bool takeEscapePress();
