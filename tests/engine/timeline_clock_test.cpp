#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/song_clock.h"
#include "tests/engine/engine_fixture.h"

namespace {

std::vector<std::string> g_drawn;
int g_destroyed = 0;

class Recorder : public NORVALE_VIRELLO::Base {
public:
    explicit Recorder(std::string label) : label_(std::move(label)) {}
    ~Recorder() override { ++g_destroyed; }
    void draw() override { g_drawn.push_back(label_ + "@" + std::to_string(static_cast<int>(time))); }

private:
    std::string label_;
};

class TimelineTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        g_drawn.clear();
        g_destroyed = 0;
    }
    std::vector<std::string> frameAt(int ms) {
        g_drawn.clear();
        vrlSetPosition(ms);
        vrlUpdateTimer();
        vrlRun();
        return g_drawn;
    }
};

using Drawn = std::vector<std::string>;

}  // namespace

TEST_F(TimelineTest, DrawsHighestPriorityFirstTiesInRegistrationOrderAndShutDownDestroysAll) {
    auto* scene = new Recorder("scene");
    scene->flag = true;
    vrlAddEffect(0, 1000, 0, "a", new Recorder("tieFirst"));
    vrlAddEffect(0, 1000, 66911, "tunnel", scene);
    vrlAddEffect(0, 1000, 0, "c", new Recorder("tieSecond"));
    vrlAddEffect(0, 1000, -5, "d", new Recorder("negative"));
    vrlInitEffects();
    EXPECT_EQ(std::pair(scene->startTime, scene->endTime), std::pair(0u, 1000u));
    EXPECT_FALSE(scene->flag);
    EXPECT_STREQ(vrlGetEffectEntry(1)->name, "tunnel");
    EXPECT_EQ(frameAt(10), (Drawn{"scene@10", "tieFirst@10", "tieSecond@10", "negative@10"}));
    vrlShutDown();
    EXPECT_EQ(g_destroyed, 4);
    EXPECT_EQ(vrlGetEffectCount(), 0);
}

TEST_F(TimelineTest, IntervalsIncludeTheirStartAndExcludeTheirEnd) {
    vrlAddEffect(1000, 2000, 1, "x", new Recorder("x"));
    vrlInitEffects();
    for (int ms : {999, 2000, -1}) EXPECT_EQ(frameAt(ms), Drawn{}) << ms;
    EXPECT_EQ(frameAt(1000), Drawn{"x@1000"});
    EXPECT_EQ(frameAt(1999), Drawn{"x@1999"});
}

namespace {

std::vector<int> g_keys;

int scriptedKeys(int* keys, int capacity) {
    int n = 0;
    for (int key : g_keys)
        if (n < capacity) keys[n++] = key;
    g_keys.clear();
    return n;
}

// The steady clock, as the show runs without a sound device.
class SteadyClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        vrlShutDown();
        vrlSetLogging(0);
        vrlInitSound();
        vrlLoadSong("kelmuth.ogg");  // no archive: silent steady clock
        vrlSetKeySource(scriptedKeys);
        vrlInitTimer();
        vrlPlaySong(1);
    }
    void TearDown() override { vrlShutDown(); }
    int frame(std::vector<int> keys = {}) {
        g_keys = std::move(keys);
        vrlUpdateTimer();
        vrlCheckControls(1000.0f);
        return vrlGetModulePosition();
    }
};

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TEST_F(SteadyClockTest, RunsWithoutSoundSpacePausesAndTheTimeTheProcessStoodStillDoesNotCount) {
    EXPECT_FALSE(vrlIsAudioLive());
    const int before = frame();
    sleepMs(300);  // stopped: no frame meanwhile
    vrlContinueAfterStop();
    EXPECT_LT(frame(), before + 100) << "the show jumped over the time it was stopped";

    frame({VRL_KEY_SPACE});
    EXPECT_TRUE(vrlIsPaused());
    const int paused = frame();
    sleepMs(40);
    EXPECT_EQ(frame(), paused);
    // A show paused with Space before a stop stays paused after it.
    vrlContinueAfterStop();
    sleepMs(40);
    EXPECT_EQ(frame(), paused);
    frame({VRL_KEY_SPACE});
    sleepMs(40);
    EXPECT_GE(frame(), paused + 40);
}

namespace {

// The steady clock's time, moved by hand.
std::chrono::steady_clock::time_point g_time{};
std::chrono::steady_clock::time_point handTime() { return g_time; }
void pass(int ms) { g_time += std::chrono::milliseconds(ms); }

}  // namespace

TEST(SteadySongClock, PauseResumeSeekAndPauseAgainLoseAndRepeatNothing) {
    SongClock clock;
    clock.useSteady();
    clock.setTimeSource(handTime);
    clock.start();
    pass(1234);
    EXPECT_EQ(clock.now(), 1234);

    clock.setPaused(true);
    pass(500);
    EXPECT_EQ(clock.now(), 1234) << "time passed while paused, or the pause rewound";
    clock.setPaused(true);  // pausing twice changes nothing
    clock.setPaused(false);
    pass(100);
    EXPECT_EQ(clock.now(), 1334);

    clock.seekTo(5000);
    EXPECT_EQ(clock.now(), 5000);
    pass(250);
    EXPECT_EQ(clock.now(), 5250);
    clock.setPaused(true);
    pass(1000);
    EXPECT_EQ(clock.now(), 5250);

    clock.seekTo(7000);  // moves while paused, and stays paused
    pass(300);
    EXPECT_EQ(clock.now(), 7000);
    clock.setPaused(false);
    pass(10);
    EXPECT_EQ(clock.now(), 7010);

    clock.seekTo(-300);
    EXPECT_EQ(clock.now(), 0);
}

TEST(Messages, HeldWhileTheConsoleOwnsTheTerminalThenPrintedInOrder) {
    vrlSetLogging(1);
    vrlHoldMessages(1);
    testing::internal::CaptureStderr();
    vrlMsg("first %d", 1);
    vrlMsg("second\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    testing::internal::CaptureStderr();
    vrlHoldMessages(0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "first 1\nsecond\n");
    vrlSetLogging(0);
}
