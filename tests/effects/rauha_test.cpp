#include "effects/rauha.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/random.h"
#include "render/deform_grid.h"
#include "tests/effects/effect_fixture.h"
#include "tests/effects/grid_check.h"

namespace {

constexpr int kStart = 122000;
constexpr int kEnd = 150000;
constexpr unsigned int kTraceWhite = 0xFEFEFE;  // white at the blend's 255/256

// Bins 0..199 feed the traces; loud ones push both traces out of the band.
// Both spectra are equally loud (a beat), so the photo window is dealt the
// same way in both and only the traces differ.
std::array<float, 512> loudFrom(int first) {
    std::array<float, 512> bins{};
    std::fill(bins.begin() + first, bins.begin() + first + 200, 1.0f);
    return bins;
}
const std::array<float, 512> kTracesOff = loudFrom(0), kTracesFlat = loudFrom(200);

std::vector<unsigned int> drawWith(Rauha& rauha, int ms, const std::array<float, 512>& bins) {
    resetRandom(77);
    fixture::setSpectrum(bins);
    fixture::showAt(rauha, ms);
    rauha.draw();
    return fixture::snapshot();
}

bool isTraceRow(int y) { return (y >= 13 && y <= 17) || (y >= 183 && y <= 187); }

struct RauhaTest : fixture::EffectTest<Rauha, kStart, kEnd> {
    Rauha& rauha = effect;
};

TEST_F(RauhaTest, TracesFadeInToWhiteOverTheFirstThird) {
    // At the start the traces only take the blend's 1/256 off the picture.
    const auto bare = drawWith(rauha, kStart, kTracesOff);
    const auto traced = drawWith(rauha, kStart, kTracesFlat);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 320; ++x) {
            const unsigned int before = bare[y * 320 + x];
            const unsigned int after = traced[y * 320 + x];
            if (!isTraceRow(y)) {
                ASSERT_EQ(after, before) << x << "," << y;
                continue;
            }
            for (int c = 0; c < 3; ++c)  // unsigned: a lighter channel wraps far above 1
                ASSERT_LE(fixture::channel(before, c) - fixture::channel(after, c), 1u) << x << "," << y;
        }

    // Halfway through the fade the traces are lighter than the picture but
    // not yet white.
    const int sixth = kStart + (kEnd - kStart) / 6;
    const auto bareMid = drawWith(rauha, sixth, kTracesOff);
    const auto tracedMid = drawWith(rauha, sixth, kTracesFlat);
    int lighter = 0;
    for (int x = 0; x < 320; ++x) {
        const unsigned int after = tracedMid[185 * 320 + x];
        EXPECT_NE(after, kTraceWhite);
        lighter += fixture::channel(after, 1) > fixture::channel(bareMid[185 * 320 + x], 1);
    }
    EXPECT_EQ(lighter, 320);

    // From a third of the span on, both bands are solid white.
    for (int ms : {kStart + (kEnd - kStart) / 3 + 1, kEnd - 1}) {
        const auto late = drawWith(rauha, ms, kTracesFlat);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 320; ++x)
                if (isTraceRow(y)) {
                    ASSERT_EQ(late[y * 320 + x], kTraceWhite) << ms << ": " << x << "," << y;
                }
    }
}

TEST_F(RauhaTest, TracesScrollInOppositeDirections) {
    // One raised bin marks the column that reads it: the lower trace moves
    // up to row 119, the upper one down to row 81.
    std::array<float, 512> bins{};
    bins[10] = 0.1f;
    const auto columnsMarked = [&](int ms, int row) {
        const auto frame = drawWith(rauha, ms, bins);
        std::vector<int> columns;
        for (int x = 0; x < 320; ++x)
            if (frame[row * 320 + x] == kTraceWhite) columns.push_back(x);
        return columns;
    };
    const int ms = 140000;  // a multiple of 32: the next scroll step is 32 ms on
    const auto lower = columnsMarked(ms, 119);
    const auto upper = columnsMarked(ms, 81);
    ASSERT_FALSE(lower.empty());
    ASSERT_FALSE(upper.empty());
    const auto lowerLater = columnsMarked(ms + 32, 119);
    const auto upperLater = columnsMarked(ms + 32, 81);
    ASSERT_EQ(lowerLater.size(), lower.size());
    for (size_t i = 0; i < lower.size(); ++i) {
        // Wraps at column 0 back to 199 (the index repeats every 200 columns).
        EXPECT_EQ(lowerLater[i], lower[i] == 0 ? 199 : lower[i] - 1);
    }
    ASSERT_FALSE(upperLater.empty());
    EXPECT_EQ(upperLater.front(), upper.front() + 1);
    // Within a scroll step nothing moves.
    EXPECT_EQ(columnsMarked(ms + 31, 119), lower);
}

TEST_F(RauhaTest, OnlyEnergyAboveHalfDealsANewWindow) {
    fixture::showAt(rauha, 130000);
    const std::vector<unsigned int> window = rauha.gridTexture;
    const auto state = randomState();

    fixture::setSpectrumSum(2.5f);  // energy exactly 0.5
    rauha.draw();
    EXPECT_EQ(rauha.gridTexture, window);
    EXPECT_EQ(randomState(), state);

    fixture::setSpectrumSum(2.5001f);
    rauha.draw();
    EXPECT_NE(randomState(), state);  // three draws: photo, column, row
}

TEST_F(RauhaTest, HugeOrBrokenSpectrumValuesDrawNoTrace) {
    // Infinite and NaN bins must neither crash nor mark a column.
    std::array<float, 512> bins{};
    for (int i = 0; i < 200; ++i) bins[i] = (i % 2) ? INFINITY : NAN;
    const auto frame = drawWith(rauha, kEnd - 1, bins);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), kTraceWhite), 0);
}

TEST_F(RauhaTest, TheLensTurnsRipplesAndScrolls) {
    for (int ms : {kStart, 137777, kEnd - 1}) {
        fixture::setSpectrumSum(0.0f);
        fixture::drawAt(rauha, ms);
        const float t = static_cast<float>(ms);
        EXPECT_EQ(fixture::gridMismatch(*rauha.grid,
                                        [t](int c, int r) {
                                            return fixture::rippleLensPoint(t, 0.0004461f, 0.0017f, true, c, r);
                                        }),
                  "")
            << "at " << ms << " ms";
    }
}

}  // namespace
