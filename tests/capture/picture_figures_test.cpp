#include "tools/capture/picture_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kCells = 80 * 50;

TEST(PictureFigures, CorrelationFollowsShapeNotScaleAndIsUndefinedOnAFlatFrame) {
    std::vector<double> frame(kCells), brighter(kCells), inverted(kCells), flat(kCells, 40.0);
    for (int i = 0; i < kCells; ++i) {
        frame[i] = (i * 37) % 101;
        brighter[i] = 3.0 * frame[i] + 20.0;
        inverted[i] = 200.0 - frame[i];
    }
    EXPECT_NEAR(cellCorrelation(frame, brighter), 1.0, 1e-12);
    EXPECT_NEAR(cellCorrelation(frame, inverted), -1.0, 1e-12);
    // Characters that show none of the frame's light and shade keep nothing.
    EXPECT_EQ(cellCorrelation(frame, flat), 0.0);
    // A flat frame has nothing to keep, whatever the characters do.
    EXPECT_TRUE(std::isnan(cellCorrelation(flat, frame)));
    EXPECT_TRUE(std::isnan(cellCorrelation(flat, flat)));
    EXPECT_TRUE(std::isnan(cellCorrelation({}, {})));

    // Halves of the frame unrelated to the characters: about half is kept.
    std::vector<double> halfKept = frame;
    for (int i = 0; i < kCells; i += 2) halfKept[i] = 50.0;
    const double r = cellCorrelation(frame, halfKept);
    EXPECT_GT(r, 0.6);
    EXPECT_LT(r, 0.8);
}

}  // namespace
