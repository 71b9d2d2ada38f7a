#include "driver/show_loading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/vrl.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

// What the hooks saw; plain globals because the hooks are plain functions.
std::string printed;
int questionsAsked = 0;
int quitFromQuestion = 0;  // 0: never
int registrations = 0;

void collect(const char* text) { printed += text; }

bool quitAtSetQuestion() {
    ++questionsAsked;
    return quitFromQuestion != 0 && questionsAsked >= quitFromQuestion;
}

class Dot : public NORVALE_VIRELLO::Base {
public:
    void draw() override {}
};

void registerOneDot() {
    ++registrations;
    vrlAddEffect(0, 1000, 1, "dot", new Dot);
}

// Loading in a scratch folder with an empty resources/: the engine packs
// and reads an empty archive and goes on without song and pictures.
class ShowLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(scratch_ / "resources");
        fs::current_path(scratch_.path());
        vrlShutDown();
        printed.clear();
        questionsAsked = quitFromQuestion = registrations = 0;
    }
    void TearDown() override {
        vrlShutDown();
        fs::current_path(previous_);
    }

    static ShowLoading hooked() {
        ShowLoading loading;
        loading.manualClock = true;
        loading.logging = false;
        loading.quitRequested = quitAtSetQuestion;
        loading.progress = collect;
        loading.registerEffects = registerOneDot;
        return loading;
    }

private:
    fs::path previous_ = fs::current_path();
    ScratchFolder scratch_{"loading"};
};

TEST_F(ShowLoadingTest, RunsEveryStepOnTheCallersClockAndEffects) {
    ASSERT_TRUE(loadShow(hooked()));
    EXPECT_EQ(printed, "Loading.....\n");
    EXPECT_EQ(registrations, 1);
    ASSERT_EQ(vrlGetEffectCount(), 1);
    // vrlInitEffects ran: the effect holds its interval.
    EXPECT_EQ(vrlGetEffectEntry(0)->effect->endTime, 1000u);
    // The manual clock took: the position is the one set, not a heard one.
    vrlInitTimer();
    vrlSetPosition(1234);
    vrlUpdateTimer();
    EXPECT_EQ(vrlGetModulePosition(), 1234);
}

TEST_F(ShowLoadingTest, AQuitAtAnyStepStopsTheLoadingThere) {
    for (int question = 1; question <= 6; ++question) {
        vrlShutDown();
        questionsAsked = 0;
        quitFromQuestion = question;
        EXPECT_FALSE(loadShow(hooked())) << question;
        EXPECT_EQ(questionsAsked, question) << "the loading went on after the quit";
    }
}

}  // namespace
