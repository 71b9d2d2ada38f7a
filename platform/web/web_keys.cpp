#include "platform/web/web_keys.h"

#include <algorithm>
#include <array>

#include "engine/vrl.h"

namespace {

// A few frames' worth of typing; more than that between two frames is a
// held key repeating, and dropping the newest loses nothing a user meant.
constexpr int kQueueRoom = 64;

struct KeyQueue {
    std::array<int, kQueueRoom> keys{};
    int count = 0;
    bool escape = false;
};

KeyQueue& queue() {
    static KeyQueue instance;
    return instance;
}

}  // namespace

void webPressKey(int key) {
    if (key != VRL_KEY_LEFT && key != VRL_KEY_RIGHT && key != VRL_KEY_SPACE) return;
    KeyQueue& q = queue();
    if (q.count < kQueueRoom) q.keys[q.count++] = key;
}

void webPressEscape() { queue().escape = true; }

void webClearKeys() { queue() = KeyQueue{}; }

int webKeySource(int* keys, int capacity) {
    KeyQueue& q = queue();
    const int taken = std::clamp(q.count, 0, std::max(capacity, 0));
    std::copy(q.keys.begin(), q.keys.begin() + taken, keys);
    std::copy(q.keys.begin() + taken, q.keys.begin() + q.count, q.keys.begin());
    q.count -= taken;
    return taken;
}

bool webTakeEscape() {
    const bool pressed = queue().escape;
    queue().escape = false;
    return pressed;
}
