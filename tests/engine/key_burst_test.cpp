#include <gtest/gtest.h>

#include <deque>

#include "engine/vrl.h"
#include "tests/engine/engine_fixture.h"

namespace {

// Keys waiting at the console, handed out as a real pump does: as many as
// the engine asks for, the rest on the next call.
std::deque<int> g_waiting;

int waitingKeys(int* keys, int capacity) {
    int count = 0;
    while (count < capacity && !g_waiting.empty()) {
        keys[count++] = g_waiting.front();
        g_waiting.pop_front();
    }
    return count;
}

class KeyBurstTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        g_waiting.clear();
        vrlSetKeySource(waitingKeys);
    }
    int frameWith(std::deque<int> keys, int atMs) {
        g_waiting = std::move(keys);
        vrlSetPosition(atMs);
        vrlCheckControls(1000.0f);
        vrlUpdateTimer();
        return vrlGetModulePosition();
    }
};

TEST_F(KeyBurstTest, EveryKeyOfABurstCountsFromWhereThePreviousOneLeftThePosition) {
    std::deque<int> burst(100, VRL_KEY_RIGHT);
    burst.insert(burst.end(), 3, VRL_KEY_LEFT);
    EXPECT_EQ(frameWith(burst, 5000), 5000 + 97 * 1000);
    EXPECT_TRUE(g_waiting.empty());
    // Two steps back from 1.5 s stop at 0; the step forward starts from there.
    EXPECT_EQ(frameWith({VRL_KEY_LEFT, VRL_KEY_LEFT, VRL_KEY_RIGHT}, 1500), 1000);
    // Far forward stops at the largest position.
    EXPECT_EQ(frameWith(std::deque<int>(40, VRL_KEY_RIGHT), 2147480000), 2147483647);
}

}  // namespace
