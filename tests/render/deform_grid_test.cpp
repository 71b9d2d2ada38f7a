#include "render/deform_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kPixels = kWidth * kHeight;
constexpr unsigned int kUntouched = 0xA5C3E1F7u;

unsigned int channel(unsigned int pixel, int index) { return (pixel >> (8 * index)) & 0xFFu; }

// A texture of random texels whose top bytes are set too: the grid must
// ignore them.
std::vector<unsigned int> randomTexture(unsigned int seed) {
    std::mt19937 generator(seed);
    std::vector<unsigned int> texture(256 * 256);
    for (unsigned int& texel : texture) texel = generator() | 0xFF000000u;
    return texture;
}

// The grid lives on the heap like it does inside an effect.
std::unique_ptr<DeformGrid> gridWith(int texY, int texX, int level) {
    auto grid = std::make_unique<DeformGrid>();
    for (GridPoint& point : grid->points) point = {texY, texX, level};
    return grid;
}

// Each channel of a texel times k / 256, bits 24-31 cleared.
unsigned int scaled(unsigned int texel, unsigned int k) {
    unsigned int result = 0;
    for (int c = 0; c < 3; ++c) result |= (channel(texel, c) * k / 256) << (8 * c);
    return result;
}

// ---------------------------------------------------------------------------
// Texture coordinates and levels

TEST(DeformGridShading, CoordinatesWrapBothWaysAndLevelsRunFromBlackThroughTheTexelToWhite) {
    const std::vector<unsigned int> texture = randomTexture(2), flat(256 * 256, 0xFF3080F0u);
    struct Case {
        int texY, texX, level;
        int row, column;     // of the random texel shown at 254 / 256; -1: the flat texture
        unsigned int pixel;  // what the flat texture shows
    };
    const Case cases[] = {
        {0, -1, 127, 0, 255, 0},                       // left of column 0
        {256, 0, 127, 0, 0, 0},                        // one texture height down
        {-1, -256, 127, 255, 0, 0},                    // above row 0
        {256 * 1000 + 3, -256 * 7 + 5, 127, 3, 5, 0},  // far away
        {INT_MAX, INT_MIN, 127, 255, 0, 0},            // products beyond 32 bits wrap
        {INT_MAX - 3, INT_MIN + 9, 127, 252, 9, 0},
        {0, 0, 0, -1, 0, 0x00000000u},
        {0, 0, 64, -1, 0, 0x00184078u},   // half of each channel
        {0, 0, 127, -1, 0, 0x002F7FEEu},  // 254/256 of each channel
        {0, 0, 128, -1, 0, 0x00307FEEu},  // weight 253 plus a white term of 1
        {0, 0, 254, -1, 0, 0x00FDFDFDu},  // weight 1 plus a white term of 253
        {0, 0, 255, -1, 0, 0x00FFFFFFu},  // the ramp's limit
    };
    for (const Case& c : cases) {
        auto grid = gridWith(c.texY, c.texX, c.level);
        std::vector<unsigned int> target(kPixels, kUntouched);
        grid->drawShaded(c.row >= 0 ? texture.data() : flat.data(), target.data());
        const unsigned int expected = c.row >= 0 ? scaled(texture[c.row * 256 + c.column], 254) : c.pixel;
        EXPECT_EQ(std::count(target.begin(), target.end(), expected), kPixels)
            << "texY " << c.texY << " texX " << c.texX << " level " << c.level << " gives " << std::hex << target[0];
    }
}

TEST(DeformGridHalfBlend, MovesTheTargetTowardTheTextureByHalves) {
    // The shaded texel is 254 per channel; each pass keeps half of each side.
    const std::vector<unsigned int> white(256 * 256, 0x00FFFFFFu);
    auto grid = gridWith(0, 0, 255);
    std::vector<unsigned int> target(kPixels, 0);
    for (unsigned int pass : {0x007F7F7Fu, 0x00BEBEBEu, 0x00DEDEDEu, 0x00EEEEEEu}) {
        grid->drawHalfBlend(white.data(), target.data());
        ASSERT_EQ(std::count(target.begin(), target.end(), pass), kPixels) << std::hex << pass;
    }
}

// ---------------------------------------------------------------------------
// Random grids against a plain model
//
// The renderer works on eight pixels at once and steps whole rows; this
// model walks every pixel one by one exactly as the cell walk is described:
// re-interpolated rows, arithmetic shifts, packed red/blue arithmetic. Random
// grids take it through every level (green following the level's fraction in
// the half blend) and levels a little outside 0..255, which clamp, coordinates
// that step across cells in eighths either way and wrap around the texture.
// The release build meets it with the SSE2 cells, the sanitizer build with
// the plain ones.

int shiftRight(unsigned int value, int bits) { return static_cast<int>(value) >> bits; }

template <typename Pixel>
void modelCell(int column, int row, const GridPoint* points, const unsigned int* texture,
               unsigned int* target, Pixel pixel) {
    const GridPoint& p00 = points[row * 41 + column];
    const GridPoint& p01 = points[row * 41 + column + 1];
    const GridPoint& p10 = points[(row + 1) * 41 + column];
    const GridPoint& p11 = points[(row + 1) * 41 + column + 1];
    auto u = [](int v) { return static_cast<unsigned int>(v); };
    unsigned int ly = u(p00.texY) * 256, lx = u(p00.texX) * 256, ll = u(p00.level) * 256;
    unsigned int ry = u(p01.texY) * 256, rx = u(p01.texX) * 256, rl = u(p01.level) * 256;
    const unsigned int dly = (u(p10.texY) - u(p00.texY)) * 32, dlx = (u(p10.texX) - u(p00.texX)) * 32,
                       dll = (u(p10.level) - u(p00.level)) * 32;
    const unsigned int dry = (u(p11.texY) - u(p01.texY)) * 32, drx = (u(p11.texX) - u(p01.texX)) * 32,
                       drl = (u(p11.level) - u(p01.level)) * 32;
    for (int r = 0; r < 8; ++r) {
        const unsigned int sy = u(shiftRight(ry - ly, 3)), sx = u(shiftRight(rx - lx, 3)),
                           sl = u(shiftRight(rl - ll, 3));
        unsigned int y = ly, x = lx, l = ll;
        for (int p = 0; p < 8; ++p) {
            const unsigned int texel = texture[((y >> 8) & 255) * 256 + ((x >> 8) & 255)];
            unsigned int& out = target[(8 * row + r) * kWidth + 8 * column + p];
            out = pixel(texel, l, out);
            y += sy, x += sx, l += sl;
        }
        ly += dly, lx += dlx, ll += dll, ry += dry, rx += drx, rl += drl;
    }
}

unsigned int modelShaded(unsigned int texel, unsigned int l, unsigned int) {
    const int level = std::max(shiftRight(l, 8), 0);
    if (level >= 255) return 0x00FFFFFFu;
    if (level <= 127) {
        const unsigned int f = 2 * level;
        return ((texel & 0x00FF00FFu) * f >> 8 & 0x00FF00FFu) + ((texel & 0x0000FF00u) * f >> 8 & 0x0000FF00u);
    }
    const unsigned int i = 2 * level - 254, w = 255 - i;
    return ((texel & 0x00FF00FFu) * w >> 8 & 0x00FF00FFu) + ((texel & 0x0000FF00u) * w >> 8 & 0x0000FF00u) +
           ((i * 0x00FF00FFu) >> 8 & 0x00FF00FFu) + ((i * 0x0000FF00u) >> 8 & 0x0000FF00u);
}

unsigned int modelHalfBlend(unsigned int texel, unsigned int l, unsigned int old) {
    l = static_cast<unsigned int>(std::clamp(static_cast<int>(l), 0, 65535));
    const unsigned int whole = static_cast<unsigned int>(shiftRight(l, 8));
    const unsigned int shaded = ((whole * (texel & 0x00FF00FFu)) >> 8 & 0x00FF00FFu) +
                                (((texel & 0x0000FF00u) * l) >> 16 & 0x0000FF00u);
    return ((shaded >> 1) & 0x007F7F7Fu) + ((old >> 1) & 0x007F7F7Fu);
}

TEST(DeformGridModel, RandomGridsMatchThePixelByPixelWalk) {
    std::mt19937 generator(12);
    const std::vector<unsigned int> texture = randomTexture(13);
    // Small moves, whole-texture swings and coordinates near the 32-bit ends.
    const int coordinateRanges[] = {16, 600, 1 << 20, INT_MAX};
    for (int trial = 0; trial < 24; ++trial) {
        const int range = coordinateRanges[trial % 4];
        const unsigned int levels = trial % 3 ? 256 : 341;  // a third of the grids reach -40..300
        const int lowest = trial % 3 ? 0 : -40;
        auto grid = std::make_unique<DeformGrid>();
        for (int r = 0; r < 26; ++r) {
            for (int c = 0; c < 41; ++c) {
                const int jitterY = static_cast<int>(generator() % (2u * range + 1) - range);
                const int jitterX = static_cast<int>(generator() % (2u * range + 1) - range);
                const int baseY = range < 1000 ? r * 8 : 0, baseX = range < 1000 ? c * 8 : 0;
                const int level = static_cast<int>(generator() % levels) + lowest;
                grid->points[r * 41 + c] = {baseY + jitterY, baseX + jitterX, level};
            }
        }
        std::vector<unsigned int> start(kPixels);
        for (unsigned int& pixel : start) pixel = generator();

        std::vector<unsigned int> shaded = start, expectedShaded = start;
        grid->drawShaded(texture.data(), shaded.data());
        std::vector<unsigned int> blended = start, expectedBlended = start;
        grid->drawHalfBlend(texture.data(), blended.data());
        for (int r = 0; r < 25; ++r) {
            for (int c = 0; c < 40; ++c) {
                modelCell(c, r, grid->points, texture.data(), expectedShaded.data(), modelShaded);
                modelCell(c, r, grid->points, texture.data(), expectedBlended.data(), modelHalfBlend);
            }
        }
        for (int i = 0; i < kPixels; ++i) {
            ASSERT_EQ(std::pair(shaded[i], blended[i]), std::pair(expectedShaded[i], expectedBlended[i]))
                << "trial " << trial << " pixel " << i % kWidth << "," << i / kWidth;
        }
    }
}

// ---------------------------------------------------------------------------
// Grid shape

TEST(DeformGridShape, TooFewPointRowsOrColumnsDrawNothingAndTooManyStayInBounds) {
    // Level 0 draws black over the area the counts allow, from the top left:
    // none for fewer than two point rows or columns, 8 x 16 pixels for two
    // columns and three rows, and for counts beyond the fixed shape the whole
    // frame once and no more (the sanitizer build would see a write past it).
    const std::vector<unsigned int> texture = randomTexture(6);
    const int cases[][4] = {{1, 26, 0, 0},       {41, 1, 0, 0}, {0, 0, 0, 0}, {-5, 26, 0, 0},
                            {41, INT_MIN, 0, 0}, {2, 3, 8, 16}, {1000, INT_MAX, kWidth, kHeight}};
    for (const auto& [columns, rows, width, height] : cases) {
        auto grid = gridWith(0, 0, 0);
        grid->columns = columns;
        grid->rows = rows;
        std::vector<unsigned int> target(kPixels, kUntouched);
        grid->drawShaded(texture.data(), target.data());
        grid->drawHalfBlend(texture.data(), target.data());
        for (int i = 0; i < kPixels; ++i)
            ASSERT_EQ(target[i], i % kWidth < width && i / kWidth < height ? 0u : kUntouched)
                << columns << " x " << rows << " at " << i % kWidth << "," << i / kWidth;
    }
}

}  // namespace
