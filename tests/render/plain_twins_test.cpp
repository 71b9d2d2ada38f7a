// The SSE2 grid cells against their plain C++ twins on levels the show
// never makes, which the pixel-by-pixel model leaves out: both paths must
// give the same bits. The sprites and the blur meet their models in both
// builds (the sanitizer tree has only the plain path).
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <vector>

#include "render/deform_grid.h"
#include "render/plain_twins.h"

namespace {

constexpr int kPixels = 320 * 200;

std::vector<unsigned int> randomPixels(std::mt19937& generator, int count) {
    std::vector<unsigned int> pixels(count);
    for (unsigned int& pixel : pixels) pixel = generator();
    return pixels;
}

int randomIn(std::mt19937& generator, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(generator);
}

void skipWithoutSimd() {
    if (!kSimdBuild) GTEST_SKIP() << "this build has only the plain path";
}

TEST(PlainTwins, GridCellsAgreeForAnyCoordinatesAndLevels) {
    skipWithoutSimd();
    std::mt19937 generator(23);
    const std::vector<unsigned int> texture = randomPixels(generator, 256 * 256);
    // Levels in the fills' range, just beyond it both ways, and anywhere:
    // the lanes clamp and wrap, and so must the twin.
    const int levelRanges[][2] = {{0, 255}, {-40, 300}, {INT_MIN, INT_MAX}};
    const int coordinateRanges[] = {600, INT_MAX};
    for (const auto& levels : levelRanges) {
        for (int coordinates : coordinateRanges) {
            auto grid = std::make_unique<DeformGrid>();
            for (GridPoint& point : grid->points)
                point = {randomIn(generator, -coordinates, coordinates),
                         randomIn(generator, -coordinates, coordinates),
                         randomIn(generator, levels[0], levels[1])};
            const std::vector<unsigned int> start = randomPixels(generator, kPixels);
            std::vector<unsigned int> shaded = start, plainShaded = start;
            std::vector<unsigned int> blended = start, plainBlended = start;
            for (int row = 0; row < 25; ++row) {
                for (int column = 0; column < 40; ++column) {
                    DeformGrid::drawCellShaded(column, row, grid->points, texture.data(), shaded.data());
                    plain::drawCellShaded(column, row, grid->points, texture.data(), plainShaded.data());
                    DeformGrid::drawCellHalfBlend(column, row, grid->points, texture.data(), blended.data());
                    plain::drawCellHalfBlend(column, row, grid->points, texture.data(), plainBlended.data());
                }
            }
            ASSERT_EQ(shaded, plainShaded) << "levels " << levels[0] << ".." << levels[1];
            ASSERT_EQ(blended, plainBlended) << "levels " << levels[0] << ".." << levels[1];
        }
    }
}

}  // namespace
