#include "tools/capture/blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace {

// Overlays that start before their scene, a scene registered between two
// rows of an earlier block, equal priorities, and a gap with no effect.
const std::vector<TimelineRow> kSynthetic = {
    {0, 100, 50, "A"},        // 0
    {0, 100, 5, "a-fx"},      // 1
    {100, 200, 0, "B"},       // 2: scene by registration order over row 4
    {200, 300, 1, "C"},       // 3
    {100, 200, 0, "b-fx"},    // 4
    {180, 300, 0, "c-fx"},    // 5: runs over the end of B
    {400, 500, 7, "D"},       // 6: after a gap
    {450, 450, 99, "empty"},  // 7: never active
};

TEST(CaptureBlocks, SceneIsTheHighestPriorityWithTiesInRegistrationOrder) {
    const std::vector<ScheduleBlock> blocks = findBlocks(kSynthetic);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[0].start, 0u);
    EXPECT_EQ(blocks[0].end, 100u);
    EXPECT_EQ(blocks[0].scene, 0);
    EXPECT_EQ(blocks[0].rows, (std::vector<int>{0, 1}));
    EXPECT_EQ(blocks[1].start, 100u);
    EXPECT_EQ(blocks[1].end, 200u);
    EXPECT_EQ(blocks[1].scene, 2);
    EXPECT_EQ(blocks[1].rows, (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(blocks[2].scene, 3);
    EXPECT_EQ(blocks[2].rows, (std::vector<int>{3, 5}));
    EXPECT_EQ(blocks[3].start, 400u);
    EXPECT_EQ(blocks[3].scene, 6);
}

TEST(CaptureBlocks, PositionsMapWithInclusiveStartsAndExclusiveEnds) {
    const std::vector<ScheduleBlock> blocks = findBlocks(kSynthetic);
    EXPECT_EQ(blockIndexAt(blocks, 0), 0);
    EXPECT_EQ(blockIndexAt(blocks, 99), 0);
    EXPECT_EQ(blockIndexAt(blocks, 100), 1);
    EXPECT_EQ(blockIndexAt(blocks, 190), 1);  // the early overlay does not open a block
    EXPECT_EQ(blockIndexAt(blocks, 200), 2);
    EXPECT_EQ(blockIndexAt(blocks, 300), -1);
    EXPECT_EQ(blockIndexAt(blocks, 399), -1);
    EXPECT_EQ(blockIndexAt(blocks, 499), 3);
    EXPECT_EQ(blockIndexAt(blocks, -1), -1);
    EXPECT_TRUE(findBlocks({}).empty());
}

}  // namespace
