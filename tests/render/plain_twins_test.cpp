// The SSE2 routines against their plain C++ twins, on the same inputs: both
// paths must give the same bits, including inputs the show never makes.
// A build without SSE2 has only the plain path; its unit tests prove the
// rest (they are the same tests the SIMD build passes).
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <vector>

#include "render/deform_grid.h"
#include "render/pixel_ops.h"
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

TEST(PlainTwins, AddFadeSpritesAgreeForEveryWeightAndPlacement) {
    skipWithoutSimd();
    std::mt19937 generator(21);
    const std::vector<unsigned int> sprite = randomPixels(generator, 64 * 48);
    const std::vector<unsigned int> background = randomPixels(generator, kPixels);
    for (int trial = 0; trial < 600; ++trial) {
        // Weights around and beyond 0..255, sizes that leave 0 to 3 columns
        // over for the one-at-a-time tail, placements across every edge.
        const int weight = trial < 300 ? randomIn(generator, 0, 255) : randomIn(generator, -300, 600);
        const int width = randomIn(generator, 1, 400), height = randomIn(generator, 1, 260);
        const int x = randomIn(generator, -width, 330), y = randomIn(generator, -height, 210);
        std::vector<unsigned int> simd = background, plainPath = background;
        blitScaledAddFade(x, y, 64, 48, width, height, sprite.data(), simd.data(), weight);
        plain::blitScaledAddFade(x, y, 64, 48, width, height, sprite.data(), plainPath.data(), weight);
        ASSERT_EQ(simd, plainPath) << "trial " << trial << ": " << width << "x" << height << " at " << x << ","
                                   << y << " weight " << weight;
    }
}

using SpriteDraw = void (*)(int, int, int, int, int, int, const unsigned int*, unsigned int*);

struct SpriteTwins {
    const char* name;
    SpriteDraw simd;
    SpriteDraw plainPath;
};

TEST(PlainTwins, AddAndSubtractSpritesAgreeForEverySizeAndPlacement) {
    skipWithoutSimd();
    const SpriteTwins twins[] = {{"add", blitScaledAdd, plain::blitScaledAdd},
                                 {"subtract", blitScaledSub, plain::blitScaledSub}};
    std::mt19937 generator(24);
    // A flare-sized source; every byte random so that both saturations and
    // the top byte are exercised.
    const std::vector<unsigned int> sprite = randomPixels(generator, 64 * 64);
    const std::vector<unsigned int> background = randomPixels(generator, kPixels);
    // Fixed cases first: widths leaving 0 to 3 columns for the tail, odd
    // scale factors both ways, and a sprite over each edge and every corner.
    struct Placement {
        int x, y, width, height;
    };
    std::vector<Placement> placements = {
        {10, 10, 4, 4},     {10, 10, 5, 3},     {10, 10, 6, 9},    {10, 10, 7, 7},
        {0, 0, 319, 199},   {0, 0, 320, 200},   {85, 25, 150, 150}, {3, 5, 61, 97},
        {7, 2, 129, 67},    {-30, 50, 97, 40},  {280, 50, 97, 40},  {100, -30, 41, 97},
        {100, 170, 41, 97}, {-20, -20, 63, 63}, {290, 180, 63, 63}, {-50, -50, 421, 301},
        {317, 10, 5, 5},    {316, 10, 4, 4},    {-3, 10, 6, 6},     {2, 197, 9, 5}};
    for (int trial = 0; trial < 400; ++trial) {
        const int width = randomIn(generator, 1, 400), height = randomIn(generator, 1, 260);
        placements.push_back({randomIn(generator, -width, 330), randomIn(generator, -height, 210), width, height});
    }
    for (const SpriteTwins& twin : twins) {
        for (const Placement& p : placements) {
            std::vector<unsigned int> simd = background, plainPath = background;
            twin.simd(p.x, p.y, 64, 64, p.width, p.height, sprite.data(), simd.data());
            twin.plainPath(p.x, p.y, 64, 64, p.width, p.height, sprite.data(), plainPath.data());
            ASSERT_EQ(simd, plainPath) << twin.name << " " << p.width << "x" << p.height << " at " << p.x
                                       << "," << p.y;
        }
    }
}

TEST(PlainTwins, BlurAgreesOnRandomBuffersOfEverySize) {
    skipWithoutSimd();
    std::mt19937 generator(22);
    // The show's frame, areas whose pixel count leaves each remainder of the
    // four-at-a-time walk, and widths other than a frame row's.
    const struct {
        int width, height;
    } sizes[] = {{320, 200}, {320, 3}, {320, 4}, {320, 5}, {320, 6}, {320, 7},
                 {320, 50},  {320, 101}, {100, 30}, {643, 1}, {17, 100}, {644, 1}};
    for (const auto [width, height] : sizes) {
        const std::vector<unsigned int> start = randomPixels(generator, width * height);
        std::vector<unsigned int> simd = start, plainPath = start;
        blur4(width, height, simd.data());
        plain::blur4(width, height, plainPath.data());
        ASSERT_EQ(simd, plainPath) << width << "x" << height;
    }
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
