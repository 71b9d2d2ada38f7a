#include "platform/console_input.h"

#include "platform/caca_console.h"

#include "engine/vrl.h"
#include "platform/signal_guard.h"

namespace {

bool g_quitKey = false;       // Ctrl+C as a key, or a closed window
bool g_escapePressed = false;  // since the last GetAsyncKeyState
bool g_pumpedSinceQuery = false;

constexpr int kCtrlC = 3;
constexpr int kEscape = 0x1B;

int engineKeyFor(int cacaKey) {
    switch (cacaKey) {
        case CACA_KEY_LEFT: return VRL_KEY_LEFT;
        case CACA_KEY_RIGHT: return VRL_KEY_RIGHT;
        case ' ': return VRL_KEY_SPACE;
        default: return 0;
    }
}

}  // namespace

int pumpConsoleInput(int* keys, int capacity) {
    g_pumpedSinceQuery = true;
    caca_display_t* display = consoleDisplay();
    if (!display) return 0;
    int count = 0;
    caca_event_t event;
    while (caca_get_event(display, CACA_EVENT_KEY_PRESS | CACA_EVENT_QUIT, &event, 0)) {
        if (caca_get_event_type(&event) == CACA_EVENT_QUIT) {
            g_quitKey = true;
            continue;
        }
        const int key = caca_get_event_key_ch(&event);
        if (key == kEscape) g_escapePressed = true;
        if (key == kCtrlC) g_quitKey = true;
        const int engineKey = engineKeyFor(key);
        if (engineKey && count < capacity) keys[count++] = engineKey;
    }
    return count;
}

bool quitRequested() { return quitSignalArrived() || g_quitKey; }

bool takeEscapePress() {
    // Without a frame's pump since the last question, look at the queue
    // here, dropping engine keys (nobody asked for them).
    if (!g_pumpedSinceQuery) {
        int ignored[16];
        pumpConsoleInput(ignored, 16);
    }
    g_pumpedSinceQuery = false;
    const bool pressed = g_escapePressed || quitRequested();
    g_escapePressed = false;
    return pressed;
}
