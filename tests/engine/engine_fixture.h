#pragma once
#include <gtest/gtest.h>

#include "engine/random.h"
#include "engine/vrl.h"

// Every engine test starts from a fresh engine on the manual clock and
// leaves none behind.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        vrlShutDown();
        resetRandom();
        vrlUseManualClock(1);
        vrlInitSound();
        vrlInitFrameBuffer(320, 200);
    }
    void TearDown() override { vrlShutDown(); }
};
