#include <cxxabi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <typeinfo>
#include <vector>

#include "driver/frame_loop.h"
#include "driver/schedule.h"
#include "engine/vrl.h"

namespace {

// Classes that change the scene's pixels rather than cover the frame.
const std::set<std::string> kOverlays = {"Noise", "Rytina", "Rytina2", "Rytina3", "Hypnogreen", "Goddess"};

std::string classOf(const NORVALE_VIRELLO::Base& effect) {
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(effect).name(), nullptr, nullptr, &status);
    const std::string result = status == 0 ? name : "";
    std::free(name);
    return result;
}

}  // namespace

TEST(Schedule, EveryMomentHasOneSceneThatDrawsBeforeItsOverlays) {
    const auto table = showSchedule();
    EXPECT_EQ(table.size(), 27u);
    std::set<std::string> classes;
    // What is drawn changes only where an entry starts or ends.
    std::set<unsigned long> changes;
    for (const ScheduleEntry& entry : table) {
        EXPECT_LT(entry.start, entry.end) << entry.className;
        classes.insert(entry.className);
        changes.insert({entry.start, entry.end});
    }
    EXPECT_EQ(classes.size(), 17u);
    EXPECT_EQ(*changes.begin(), 0u);
    EXPECT_EQ(*changes.rbegin(), static_cast<unsigned long>(kShowEndMs));
    for (unsigned long at : changes) {
        if (at == static_cast<unsigned long>(kShowEndMs)) continue;
        const ScheduleEntry* scene = nullptr;
        for (const ScheduleEntry& entry : table)
            if (entry.start <= at && at < entry.end && (!scene || entry.priority > scene->priority)) scene = &entry;
        ASSERT_NE(scene, nullptr) << "nothing drawn at " << at << " ms";
        EXPECT_EQ(kOverlays.count(scene->className), 0u) << scene->className << " leads at " << at << " ms";
        for (const ScheduleEntry& entry : table) {
            if (&entry == scene || at < entry.start || at >= entry.end) continue;
            EXPECT_EQ(kOverlays.count(entry.className), 1u) << entry.className << " beside " << scene->className;
            EXPECT_LT(entry.priority, scene->priority) << entry.className << " at " << at << " ms";
        }
    }
}

TEST(Schedule, RegistersAFreshInstanceOfItsClassPerEntryInTableOrder) {
    vrlShutDown();
    vrlUseManualClock(1);
    vrlInitSound();
    vrlInitFrameBuffer(320, 200);
    registerSchedule();
    const auto table = showSchedule();
    ASSERT_EQ(vrlGetEffectCount(), static_cast<int>(table.size()));
    for (int i = 0; i < vrlGetEffectCount(); ++i) {
        const vrlTimelineEntry* entry = vrlGetEffectEntry(i);
        EXPECT_EQ(entry->start, table[i].start);
        EXPECT_EQ(entry->end, table[i].end);
        EXPECT_EQ(entry->priority, table[i].priority);
        EXPECT_STREQ(entry->name, table[i].name);
        EXPECT_EQ(classOf(*entry->effect), table[i].className);
        for (int j = 0; j < i; ++j) EXPECT_NE(entry->effect, vrlGetEffectEntry(j)->effect);
    }
    vrlShutDown();
}

TEST(Schedule, StopsBeforeTheNextEntryOnceAskedTo) {
    // A quit while loading: the rest of the show is never made.
    vrlShutDown();
    vrlUseManualClock(1);
    static int asked = 0;
    registerSchedule([] { return ++asked > 3; });
    EXPECT_EQ(vrlGetEffectCount(), 3);
    vrlShutDown();
}

TEST(FrameLoop, EndsOnlyAfterTheLastMillisecondOrOnEscape) {
    EXPECT_FALSE(frameEndsShow(0, 0));
    EXPECT_FALSE(frameEndsShow(kShowEndMs, 0));
    EXPECT_TRUE(frameEndsShow(kShowEndMs + 1, 0));
    EXPECT_TRUE(frameEndsShow(100, 1));                             // pressed since last call
    EXPECT_TRUE(frameEndsShow(100, static_cast<short>(0x8000)));  // held
}
