#include "platform/console_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "engine/vrl.h"
#include "platform/caca_input_source.h"

namespace {

using In = ConsoleInput;

// A terminal that has received `waiting`; more can arrive between calls.
class FakeSource : public ConsoleInputSource {
public:
    std::optional<ConsoleInput> next() override {
        if (waiting.empty()) return std::nullopt;
        const ConsoleInput input = waiting.front();
        waiting.pop_front();
        return input;
    }
    void type(std::vector<ConsoleInput> inputs) { waiting.insert(waiting.end(), inputs.begin(), inputs.end()); }
    std::deque<ConsoleInput> waiting;
};

// One that never runs dry, like a read that keeps returning the same byte.
class EndlessSource : public ConsoleInputSource {
public:
    std::optional<ConsoleInput> next() override {
        ++reads;
        return ConsoleInput::Right;
    }
    long reads = 0;
};

class InputPumpTest : public ::testing::Test {
protected:
    void SetUp() override { pump.attach(&source); }

    // What the engine would get in one frame, asking in batches of 32 as it
    // does (a pump that never empties stops the asking after 64 batches).
    std::vector<int> engineKeysOfAFrame() {
        std::vector<int> all;
        int batch[32];
        for (int count = 32, asked = 0; count == 32 && asked < 64; ++asked) {
            count = pump.takeEngineKeys(batch, 32);
            all.insert(all.end(), batch, batch + count);
        }
        return all;
    }

    FakeSource source;
    InputPump pump;
};

TEST_F(InputPumpTest, CtrlCAndAClosedWindowAreQuitRequestsThatReadAsEscapeFromThenOn) {
    for (ConsoleInput quit : {In::CtrlC, In::WindowClosed}) {
        pump.attach(&source);
        source.type({In::Right, quit, In::Left});
        EXPECT_TRUE(pump.takeEscapePress());
        EXPECT_TRUE(pump.quitRequested());
        EXPECT_TRUE(pump.takeEscapePress()) << "a quit is not forgotten like a key press";
        // Keys typed around it still reach the engine, in order.
        EXPECT_EQ(engineKeysOfAFrame(), (std::vector<int>{VRL_KEY_RIGHT, VRL_KEY_LEFT}));
    }
}

TEST_F(InputPumpTest, EveryArrowAndSpaceReachesTheEngineInOrderEscapeTheEndCheckOtherKeysNothing) {
    std::vector<In> burst(100, In::Right);
    burst.insert(burst.end(), {In::Left, In::Other, In::Escape, In::Space, In::Other});
    source.type(burst);
    // The end check may read the queue before the engine's controls do.
    EXPECT_TRUE(pump.takeEscapePress());
    int first[2];
    ASSERT_EQ(pump.takeEngineKeys(first, 2), 2);
    source.type({In::Space});  // arrives before the next frame, behind the keys not taken
    std::vector<int> keys(first, first + 2);
    const std::vector<int> rest = engineKeysOfAFrame();
    keys.insert(keys.end(), rest.begin(), rest.end());
    std::vector<int> expected(100, VRL_KEY_RIGHT);
    expected.insert(expected.end(), {VRL_KEY_LEFT, VRL_KEY_SPACE, VRL_KEY_SPACE});
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(pump.takeEngineKeys(first, 2), 0);
    EXPECT_FALSE(pump.takeEscapePress()) << "one Escape press is reported once";
    EXPECT_FALSE(pump.quitRequested()) << "Escape is not a quit request";
}

TEST_F(InputPumpTest, ADetachedPumpHasNothingAndForgetsWhatWaited) {
    source.type({In::Right, In::Escape, In::CtrlC});
    pump.drain();
    pump.attach(nullptr);
    int keys[4];
    EXPECT_EQ(pump.takeEngineKeys(keys, 4), 0);
    EXPECT_FALSE(pump.quitRequested()) << "a quit from the old console outlived it";
    EXPECT_FALSE(pump.takeEscapePress());
    EXPECT_EQ(pump.takeEngineKeys(keys, 0), 0);
}

TEST(InputPump, ASourceThatNeverRunsDryCannotHoldTheFrameOrMemory) {
    EndlessSource endless;
    InputPump pump;
    pump.attach(&endless);
    int keys[32];
    EXPECT_EQ(pump.takeEngineKeys(keys, 32), 32);
    EXPECT_LE(endless.reads, static_cast<long>(InputPump::kMaxWaitingKeys) + 1);
}

TEST(CacaInputSource, KeysMeanWhatTheShowExpectsAndOnlyAnEscapeWithNothingBehindIsEscape) {
    struct Case {
        std::vector<int> keys;  // as libcaca hands them out, all waiting at once
        In means;
        std::size_t left;  // keys not taken with the first
    };
    const int esc = CACA_KEY_ESCAPE;
    for (const Case& c : {
             Case{{esc}, In::Escape, 0},
             Case{{esc, esc}, In::Escape, 0},
             Case{{esc, 'x'}, In::Other, 0},                     // Alt+x
             Case{{esc, ' ', ' '}, In::Other, 1},                // Alt+Space, then Space
             Case{{esc, '[', 'I'}, In::Other, 0},                // focus report
             Case{{esc, '[', '2', '5', '~', esc}, In::Other, 1},  // a function key libcaca does not know
             Case{{esc, 'O', 'P'}, In::Other, 0},
             Case{{' '}, In::Space, 0},
             Case{{int{CACA_KEY_CTRL_C}}, In::CtrlC, 0},
             Case{{int{CACA_KEY_CTRL_Z}}, In::CtrlZ, 0},
             Case{{int{CACA_KEY_LEFT}}, In::Left, 0},
             Case{{int{CACA_KEY_RIGHT}}, In::Right, 0},
             Case{{int{CACA_KEY_UP}}, In::Other, 0},
             Case{{int{CACA_KEY_RETURN}, esc}, In::Other, 1},
             Case{{'q'}, In::Other, 0},
         }) {
        std::size_t next = 1;
        const In means = consoleInputForCacaKeys(c.keys[0], [&]() -> std::optional<int> {
            if (next == c.keys.size()) return std::nullopt;
            return c.keys[next++];
        });
        EXPECT_EQ(means, c.means) << c.keys.size() << " keys from " << c.keys[1 % c.keys.size()];
        EXPECT_EQ(c.keys.size() - next, c.left) << c.keys.size() << " keys";
    }
}

}  // namespace
