#include "render/deform_grid.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "render/color_mix.h"

namespace {

constexpr int kTargetWidth = 320;

// Interpolation runs on unsigned 32-bit values: coordinates may be any
// integer and wrap around, and unsigned arithmetic makes that wrap defined.
using Fixed = std::uint32_t;

Fixed toFixed(int whole) { return static_cast<Fixed>(whole) * 256u; }

// One eighth of an edge's run from one point row to the next, per pixel row.
Fixed edgeStep(int from, int to) { return (static_cast<Fixed>(to) - static_cast<Fixed>(from)) * 32u; }

// One eighth of a span, rounded toward minus infinity like the arithmetic
// shift it stands for (the difference is read as signed).
Fixed spanStep(Fixed left, Fixed right) {
    return static_cast<Fixed>(static_cast<std::int32_t>(right - left) >> 3);
}

// The integer part of an 8.8 value, sign preserved.
int wholePart(Fixed value) { return static_cast<std::int32_t>(value) >> 8; }

// Bits 8-15 of the row and of the column coordinate form the texel index,
// so the texture repeats every 256 texels both ways, negatives included.
unsigned int texelIndex(Fixed y, Fixed x) { return (y & 0xFF00u) | ((x >> 8) & 0xFFu); }

// What a level does to a texel in drawShaded: channel * weight / 256 plus a
// constant white term. Up to 127 the texel darkens (weight 2L); from 128 it
// moves toward white (I = 2L - 254, weight 255 - I, white (255 * I) >> 8).
// At 255 that would need weight -1, so the ramp's limit is used instead:
// weight 0 and full white.
struct Shade {
    unsigned int weight;
    unsigned int white;  // packed pixel added after the weighted texel
};

constexpr std::array<Shade, 256> makeShadeTable() {
    std::array<Shade, 256> table{};
    for (unsigned int level = 0; level < 256; ++level) {
        if (level <= 127) {
            table[level] = {2 * level, 0};
        } else if (level < 255) {
            const unsigned int toWhite = 2 * level - 254;
            table[level] = {255 - toWhite, ((toWhite * kRedBlueMask) >> 8 & kRedBlueMask) +
                                               ((toWhite * kGreenMask) >> 8 & kGreenMask)};
        } else {
            table[level] = {0, 0x00FFFFFFu};
        }
    }
    return table;
}

constexpr std::array<Shade, 256> kShadeTable = makeShadeTable();

// Levels outside 0..255 cannot come from a fill; they take the ramp's ends.
unsigned int shadeTexel(unsigned int texel, Fixed level) {
    const Shade& shade = kShadeTable[std::clamp(wholePart(level), 0, 255)];
    return scaleColor(texel, shade.weight) + shade.white;
}

// drawHalfBlend's darkening: red and blue by the whole level, green by the
// full 8.8 level. Only darkens; level 255 leaves 255/256 of the texel.
unsigned int darkenTexel(unsigned int texel, Fixed level) {
    const unsigned int whole = static_cast<unsigned int>(wholePart(level));
    return ((whole * (texel & kRedBlueMask)) >> 8 & kRedBlueMask) +
           (((texel & kGreenMask) * level) >> 16 & kGreenMask);
}

// The average of two pixels, each channel losing its lowest bit first.
unsigned int halfAndHalf(unsigned int a, unsigned int b) {
    return ((a >> 1) & 0x007F7F7Fu) + ((b >> 1) & 0x007F7F7Fu);
}

// Interpolated texture row, column and level at one point of a cell.
struct Sample {
    Fixed y;
    Fixed x;
    Fixed level;
};

Sample startOf(const GridPoint& point) {
    return {toFixed(point.texY), toFixed(point.texX), toFixed(point.level)};
}

Sample edgeStepOf(const GridPoint& top, const GridPoint& bottom) {
    return {edgeStep(top.texY, bottom.texY), edgeStep(top.texX, bottom.texX),
            edgeStep(top.level, bottom.level)};
}

void advance(Sample& sample, const Sample& step) {
    sample.y += step.y;
    sample.x += step.x;
    sample.level += step.level;
}

// Walks the 8 x 8 pixels of cell (column, row): the left and right edges
// step down one pixel row at a time and each row is interpolated between
// them. `writePixel(texel, level, targetPixel)` stores one pixel.
template <typename WritePixel>
void walkCell(int column, int row, const GridPoint* points, const unsigned int* texture,
              unsigned int* target, WritePixel writePixel) {
    const GridPoint* topLeft = points + row * DeformGrid::kColumns + column;
    const GridPoint* bottomLeft = topLeft + DeformGrid::kColumns;
    Sample left = startOf(topLeft[0]);
    Sample right = startOf(topLeft[1]);
    const Sample leftStep = edgeStepOf(topLeft[0], bottomLeft[0]);
    const Sample rightStep = edgeStepOf(topLeft[1], bottomLeft[1]);

    unsigned int* out = target + row * DeformGrid::kCellSize * kTargetWidth +
                        column * DeformGrid::kCellSize;
    for (int pixelRow = 0; pixelRow < DeformGrid::kCellSize; ++pixelRow) {
        const Sample step = {spanStep(left.y, right.y), spanStep(left.x, right.x),
                             spanStep(left.level, right.level)};
        Sample at = left;
#pragma GCC unroll 8
        for (int pixel = 0; pixel < DeformGrid::kCellSize; ++pixel) {
            writePixel(texture[texelIndex(at.y, at.x)], at.level, out[pixel]);
            advance(at, step);
        }
        out += kTargetWidth;
        advance(left, leftStep);
        advance(right, rightStep);
    }
}

// Cell rows top to bottom, cells left to right; the loop bounds never pass
// the point array or the 320 x 200 target, whatever the two counts say.
template <typename DrawCell>
void forEachCell(int columns, int rows, DrawCell drawCell) {
    const int pointRows = std::min(rows, DeformGrid::kRows);
    const int pointColumns = std::min(columns, DeformGrid::kColumns);
    for (int row = 0; row + 1 < pointRows; ++row) {
        for (int column = 0; column + 1 < pointColumns; ++column) drawCell(column, row);
    }
}

}  // namespace

void DeformGrid::drawCellShaded(int column, int row, const GridPoint* points,
                                const unsigned int* texture, unsigned int* target) {
    walkCell(column, row, points, texture, target,
             [](unsigned int texel, Fixed level, unsigned int& pixel) {
                 pixel = shadeTexel(texel, level);
             });
}

void DeformGrid::drawCellHalfBlend(int column, int row, const GridPoint* points,
                                   const unsigned int* texture, unsigned int* target) {
    walkCell(column, row, points, texture, target,
             [](unsigned int texel, Fixed level, unsigned int& pixel) {
                 pixel = halfAndHalf(darkenTexel(texel, level), pixel);
             });
}

void DeformGrid::drawShaded(const unsigned int* texture, unsigned int* target) const {
    forEachCell(columns, rows, [&](int column, int row) {
        drawCellShaded(column, row, points, texture, target);
    });
}

void DeformGrid::drawHalfBlend(const unsigned int* texture, unsigned int* target) const {
    forEachCell(columns, rows, [&](int column, int row) {
        drawCellHalfBlend(column, row, points, texture, target);
    });
}
