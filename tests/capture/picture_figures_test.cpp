#include "tools/capture/picture_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kCells = 80 * 50;

// A 320 x 200 frame whose cell (col, row) is filled with grey(col, row).
template <typename Grey>
std::vector<std::uint32_t> frameOfCells(Grey grey) {
    std::vector<std::uint32_t> frame(320 * 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x)
            frame[y * 320 + x] = static_cast<std::uint32_t>(grey(x / 4, y / 4)) * 0x010101u;
    return frame;
}

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

TEST(PictureFigures, StructureKeptComparesTheFrameWithItsCharacters) {
    const auto frame = frameOfCells([](int col, int row) { return (col + row) % 2 ? 200 : 10; });
    RgbImage same(80 * 2, 50 * 2);  // 2 x 2 pixels a cell
    RgbImage opposite(80 * 2, 50 * 2);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 160; ++x) {
            const bool bright = (x / 2 + y / 2) % 2;
            std::fill_n(same.pixel(x, y), 3, bright ? 255 : 0);
            std::fill_n(opposite.pixel(x, y), 3, bright ? 0 : 90);
        }
    }
    EXPECT_NEAR(structureKept(frame.data(), same), 1.0, 1e-12);
    EXPECT_NEAR(structureKept(frame.data(), opposite), -1.0, 1e-12);
}

}  // namespace
