#include "render/stretch_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "render/pixel_ops.h"

namespace {

// What one group of the plan yields: the 16 bytes loaded from the source
// row, shuffled as the plan says, as the web build's i8x16.swizzle does.
std::vector<unsigned int> shuffledGroup(const StretchPlan& plan, int group,
                                        const std::vector<unsigned int>& sourceRow) {
    std::uint8_t loaded[16];
    std::memcpy(loaded, sourceRow.data() + plan.first[group], sizeof loaded);
    std::uint8_t shuffled[16];
    for (int byte = 0; byte < 16; ++byte) shuffled[byte] = loaded[plan.lanes[group][byte]];
    std::vector<unsigned int> four(4);
    std::memcpy(four.data(), shuffled, sizeof shuffled);
    return four;
}

TEST(StretchPlan, OnlyStepsOfAtMostOneTexelFromSourcesOfFourOrMore) {
    EXPECT_TRUE(canStretch(4, 256));
    EXPECT_TRUE(canStretch(64, 1));
    EXPECT_FALSE(canStretch(3, 128));
    EXPECT_FALSE(canStretch(64, 257));
    EXPECT_FALSE(canStretch(64, 0));
}

TEST(StretchPlan, EveryGroupYieldsTheTexelsTheWalkReadsAndLoadsInsideTheRow) {
    // Random stretches and clipped starts, the right edge of the source
    // included; each source pixel names its column, so a wrong lane shows.
    std::mt19937 generator(11);
    for (int i = 0; i < 2000; ++i) {
        const int srcWidth = 4 + static_cast<int>(generator() % 300);
        const int dstWidth = srcWidth + static_cast<int>(generator() % 700);
        const std::int64_t stepX = scaledStep(srcWidth, dstWidth);
        ASSERT_TRUE(canStretch(srcWidth, stepX));
        const int skipped = static_cast<int>(generator() % dstWidth);
        const int width = std::min(kFrameWidth - 1, dstWidth - skipped);
        const std::int64_t columnStart = skipped * stepX;
        std::vector<unsigned int> sourceRow(srcWidth);
        for (int c = 0; c < srcWidth; ++c) sourceRow[c] = 0xAB000000u | static_cast<unsigned>(c);

        StretchPlan plan;
        planStretch(columnStart, stepX, width, srcWidth, plan);
        ASSERT_EQ(plan.groups, width / 4);
        for (int group = 0; group < plan.groups; ++group) {
            ASSERT_GE(plan.first[group], 0);
            ASSERT_LE(plan.first[group] + 4, srcWidth);
            for (std::uint8_t lane : plan.lanes[group]) ASSERT_LT(lane, 16);
            const std::vector<unsigned int> four = shuffledGroup(plan, group, sourceRow);
            for (int k = 0; k < 4; ++k) {
                const int column = skipped + group * 4 + k;
                ASSERT_EQ(four[k], sourceRow[scaledSourceIndex(column, srcWidth, dstWidth)])
                    << srcWidth << " -> " << dstWidth << ", column " << column;
            }
        }
    }
}

}  // namespace
