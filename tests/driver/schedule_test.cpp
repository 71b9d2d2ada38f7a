#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "driver/schedule.h"
#include "driver/show.h"
#include "engine/vrl.h"

namespace {

struct Row {
    unsigned long start, end;
    int priority;
    std::string name, className;
};

// The show's running order as the director wrote it down.
const std::vector<Row> kExpected = {
    {0, 49000, 66911, "alku", "Alku"},
    {0, 49000, 30, "rytina", "Noise"},
    {0, 49000, 10, "rytina", "Rytina"},
    {49000, 81500, 666, "kuvatus", "Kuvatus"},
    {49000, 81500, 100, "rytina", "Rytina"},
    {49000, 81500, 1, "rytina2", "Rytina2"},
    {81500, 100000, 666, "kuvatus", "Kuvatus2"},
    {81500, 100000, 55, "rytina", "Rytina"},
    {81500, 100000, 11, "rytina2", "Rytina2"},
    {100000, 122000, 10, "distort", "Distort"},
    {100000, 122000, 5, "rytina", "Rytina"},
    {100000, 122000, 0, "goddess", "Goddess"},
    {122000, 150000, 0, "rauha", "Rauha"},
    {100000, 122000, 0, "rytina", "Rytina"},
    {150000, 162000, 510, "avaruus2", "Avaruus2"},
    {162000, 193000, 500, "tunnel", "Tunnel"},
    {162000, 193000, 1, "rytina2", "Rytina3"},
    {193000, 223000, 510, "rauha", "Zoom"},
    {193000, 223000, 30, "hypnogreen", "Hypnogreen"},
    {190000, 223000, 1, "rytina2", "Rytina3"},
    {223000, 243000, 510, "rauha", "Avaruus"},
    {223000, 243000, 30, "rytina", "Noise"},
    {223000, 243000, 0, "rytina", "Rytina"},
    {243000, 273200, 0, "valo", "Valo"},
    {273200, 303000, 0, "ray", "Valo"},
    {303000, 333000, 666, "credits", "Credits"},
    {303000, 333000, 0, "rytina", "Rytina"},
};

bool sameRow(const ScheduleEntry& entry, const Row& row) {
    return entry.start == row.start && entry.end == row.end && entry.priority == row.priority &&
           row.name == entry.name && row.className == entry.className;
}

}  // namespace

TEST(Schedule, MatchesTheRunningOrderRowForRow) {
    const auto table = showSchedule();
    ASSERT_EQ(table.size(), kExpected.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_TRUE(sameRow(table[i], kExpected[i])) << "row " << i + 1 << ": " << table[i].name;
}

TEST(Schedule, RegistersFreshInstancesInTableOrder) {
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
        EXPECT_STREQ(entry->name, table[i].name);
        for (int j = 0; j < i; ++j) EXPECT_NE(entry->effect, vrlGetEffectEntry(j)->effect);
    }
    // Two Valo rows, two separate objects of one class.
    if (vrlGetEffectCount() == 27) {
        EXPECT_EQ(typeid(*vrlGetEffectEntry(23)->effect), typeid(*vrlGetEffectEntry(24)->effect));
        EXPECT_NE(vrlGetEffectEntry(23)->effect, vrlGetEffectEntry(24)->effect);
    }
    vrlShutDown();
}

TEST(FrameLoop, EndsOnlyAfterTheLastMillisecondOrOnEscape) {
    EXPECT_FALSE(frameEndsShow(0, 0));
    EXPECT_FALSE(frameEndsShow(kShowEndMs, 0));
    EXPECT_TRUE(frameEndsShow(kShowEndMs + 1, 0));
    EXPECT_TRUE(frameEndsShow(100, 1));                             // pressed since last call
    EXPECT_TRUE(frameEndsShow(100, static_cast<short>(0x8000)));  // held
}
