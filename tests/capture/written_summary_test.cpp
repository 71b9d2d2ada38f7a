#include "tools/capture/written_summary.h"

#include <gtest/gtest.h>

namespace {

TEST(WrittenSummary, SizesAndDurationsInPlainWords) {
    EXPECT_EQ(describeSize(0), "0 bytes");
    EXPECT_EQ(describeSize(999), "999 bytes");
    EXPECT_EQ(describeSize(1000), "1.0 kB");
    EXPECT_EQ(describeSize(1500), "1.5 kB");
    EXPECT_EQ(describeSize(87'300'000), "87.3 MB");
    EXPECT_EQ(describeSize(2'000'000'000'000'000ULL), "2000.0 TB");
    using std::chrono::milliseconds;
    EXPECT_EQ(describeDuration(milliseconds(400)), "0.4 s");
    EXPECT_EQ(describeDuration(milliseconds(59'940)), "59.9 s");
    EXPECT_EQ(describeDuration(milliseconds(312'400)), "5 min 12 s");
    EXPECT_EQ(describeDuration(milliseconds(119'600)), "2 min 0 s");
}

}  // namespace
