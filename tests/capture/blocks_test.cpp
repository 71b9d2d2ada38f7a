#include "tools/capture/blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

// Start, end, scene row and every row of a block.
using Block = std::tuple<unsigned long, unsigned long, int, std::vector<int>>;

TEST(CaptureBlocks, SceneIsTheHighestPriorityWithTiesInRegistrationOrder) {
    const std::vector<ScheduleBlock> blocks = findBlocks(kSynthetic);
    ASSERT_EQ(blocks.size(), 4u);
    std::vector<Block> found;
    for (const ScheduleBlock& b : blocks) found.emplace_back(b.start, b.end, b.scene, b.rows);
    found.pop_back();
    EXPECT_EQ(found, (std::vector<Block>{{0, 100, 0, {0, 1}}, {100, 200, 2, {2, 4, 5}}, {200, 300, 3, {3, 5}}}));
    EXPECT_EQ(std::tuple(blocks[3].start, blocks[3].end, blocks[3].scene), std::tuple(400u, 500u, 6));
    EXPECT_TRUE(findBlocks({}).empty());
}

TEST(CaptureBlocks, PositionsMapWithInclusiveStartsAndExclusiveEnds) {
    const std::vector<ScheduleBlock> blocks = findBlocks(kSynthetic);
    // At 190 the early overlay does not open a block.
    for (const auto& [ms, block] : {std::pair{0, 0}, {99, 0}, {100, 1}, {190, 1}, {200, 2}, {300, -1}, {399, -1},
                                    {499, 3}, {-1, -1}})
        EXPECT_EQ(blockIndexAt(blocks, ms), block) << ms;
}

}  // namespace
