#include "render/deform_grid.h"

#include <algorithm>
#include <cstdint>

#include "engine/frame.h"
#include "render/fixed_point.h"
#include "render/plain_twins.h"
#include "render/simd.h"

namespace {

// Interpolation runs on unsigned 24.8 values: coordinates may be any
// integer and wrap around, and unsigned arithmetic makes that wrap defined.
using Fixed = Fixed24_8;

// One eighth of an edge's run from one point row to the next, per pixel row.
Fixed edgeStep(int from, int to) { return (static_cast<Fixed>(to) - static_cast<Fixed>(from)) * 32u; }

// One eighth of a span, rounded toward minus infinity like the arithmetic
// shift it stands for (the difference is read as signed).
Fixed spanStep(Fixed left, Fixed right) {
    return static_cast<Fixed>(static_cast<std::int32_t>(right - left) >> 3);
}

// Interpolated texture row, column and level (all 24.8) at one point of a cell.
struct Sample {
    Fixed y;
    Fixed x;
    Fixed level;
};

Sample startOf(const GridPoint& point) {
    return {toFixed24_8(point.texY), toFixed24_8(point.texX), toFixed24_8(point.level)};
}

Sample edgeStepOf(const GridPoint& top, const GridPoint& bottom) {
    return {edgeStep(top.texY, bottom.texY), edgeStep(top.texX, bottom.texX),
            edgeStep(top.level, bottom.level)};
}

// --- one row of eight pixels, one pixel at a time -----------------------------
//
// The plain twin of the SSE2 path below, lane for lane: the same wrapping
// 32-bit coordinates, the same clamps and the same 16-bit products, so both
// give the same bits.

// The values of one quantity at the eight pixels of a row, and how much
// they change from one pixel row to the next (see CellQuantity below).
struct PlainQuantity {
    Fixed value[8];
    Fixed perRow[8];
};

PlainQuantity plainQuantity(Fixed left, Fixed right, Fixed leftStep, Fixed rightStep) {
    PlainQuantity quantity;
    const Fixed step = spanStep(left, right);
    const Fixed stepPerRow = spanStep(leftStep, rightStep);
    for (Fixed j = 0; j < 8; ++j) {
        quantity.value[j] = left + j * step;
        quantity.perRow[j] = leftStep + j * stepPerRow;
    }
    return quantity;
}

void nextRow(PlainQuantity& quantity) {
    for (int j = 0; j < 8; ++j) quantity.value[j] += quantity.perRow[j];
}

// Row y's whole part, masked to the texture, already sits at y * 256 in 24.8.
unsigned int texelAt(const unsigned int* texture, Fixed y, Fixed x) {
    return texture[(y & 0xFF00u) | (wholeOfFraction8(x) & 0xFFu)];
}

unsigned int channel(unsigned int pixel, int shift) { return pixel >> shift & 0xFFu; }

// drawShaded's level ramp (see shadeFactors below for the one expression).
unsigned int shadePixel(unsigned int texel, Fixed level) {
    const int whole = std::clamp(wholeOfFraction8(static_cast<std::int32_t>(level)), 0, 255);
    const int twice = 2 * whole;
    const unsigned int toWhite = static_cast<unsigned int>(std::max(twice - 254, 0));
    const unsigned int weight = static_cast<unsigned int>(std::min(twice, std::max(509 - twice, 0)));
    const unsigned int white = toWhite * 255u >> 8;
    unsigned int result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= std::min((channel(texel, shift) * weight >> 8) + white, 255u) << shift;
    return result;
}

// drawHalfBlend's darkening and average (see levelsAsWords and darkenFactors
// below): the level clamped to 0..65535 as the packing with a bias does it.
unsigned int halfBlendPixel(unsigned int texel, Fixed level, unsigned int target) {
    const std::int32_t biased = std::clamp(static_cast<std::int32_t>(level - 32768u), -32768, 32767);
    const unsigned int full = static_cast<unsigned int>(biased + 32768);
    const unsigned int whole = full & 0xFF00u;
    const unsigned int shaded = (channel(texel, 0) * whole >> 16) | (channel(texel, 8) * full >> 16) << 8 |
                                (channel(texel, 16) * whole >> 16) << 16;
    return ((shaded >> 1) & 0x007F7F7Fu) + ((target >> 1) & 0x007F7F7Fu);
}

// Walks the 8 x 8 pixels of cell (column, row), top to bottom, with the
// same interpolation on either path: `makeQuantity(left, right, leftStep,
// rightStep)` gives a quantity's values at the eight pixels of the first row
// (plainQuantity one by one, cellQuantity in SSE2 lanes), nextRow moves it
// down a row, and `drawRow(y, x, level, out)` writes one row of eight pixels.
// Both are template arguments so that each path compiles to direct calls.
template <auto makeQuantity, typename DrawRow>
void walkCell(int column, int row, const GridPoint* points, unsigned int* target, DrawRow drawRow) {
    const GridPoint* topLeft = points + row * DeformGrid::kColumns + column;
    const GridPoint* bottomLeft = topLeft + DeformGrid::kColumns;
    const Sample left = startOf(topLeft[0]);
    const Sample right = startOf(topLeft[1]);
    const Sample leftStep = edgeStepOf(topLeft[0], bottomLeft[0]);
    const Sample rightStep = edgeStepOf(topLeft[1], bottomLeft[1]);
    auto y = makeQuantity(left.y, right.y, leftStep.y, rightStep.y);
    auto x = makeQuantity(left.x, right.x, leftStep.x, rightStep.x);
    auto level = makeQuantity(left.level, right.level, leftStep.level, rightStep.level);

    unsigned int* out = target + row * DeformGrid::kCellSize * kFrameStride +
                        column * DeformGrid::kCellSize;
    for (int pixelRow = 0; pixelRow < DeformGrid::kCellSize; ++pixelRow) {
        drawRow(y, x, level, out);
        out += kFrameStride;
        nextRow(y);
        nextRow(x);
        nextRow(level);
    }
}

// A cell of the plain path: `drawPixel(texel, level, out)` writes one pixel.
template <typename DrawPixel>
void walkCellPlain(int column, int row, const GridPoint* points, const unsigned int* texture,
                   unsigned int* target, DrawPixel drawPixel) {
    walkCell<plainQuantity>(
        column, row, points, target,
        [&](const PlainQuantity& y, const PlainQuantity& x, const PlainQuantity& level, unsigned int* out) {
            for (int j = 0; j < 8; ++j) drawPixel(texelAt(texture, y.value[j], x.value[j]), level.value[j], out + j);
        });
}

#if VG_SIMD
// --- one row of eight pixels, four at a time in SSE2 lanes ------------------
//
// The row's eight pixels are independent, so the coordinates, the texel
// indices and the shading run in vector lanes; only the texel fetches are
// single loads. Every lane computes exactly the packed-integer formulas of
// the scalar description: channel * weight >> 8 with weights below 256 never
// carries between channels, so 16-bit lanes per channel give the same bits.

// start, start + step, start + 2 step, start + 3 step (wrapping like Fixed).
__m128i ramp(Fixed start, Fixed step) {
    return _mm_setr_epi32(static_cast<int>(start), static_cast<int>(start + step),
                          static_cast<int>(start + 2 * step), static_cast<int>(start + 3 * step));
}

// The values of one quantity at the eight pixels of a row.
struct Lanes8 {
    __m128i first;   // pixels 0-3
    __m128i second;  // pixels 4-7
};

Lanes8 rowLanes(Fixed start, Fixed step) {
    const __m128i first = ramp(start, step);
    return {first, _mm_add_epi32(first, _mm_set1_epi32(static_cast<int>(4 * step)))};
}

// Bits 8-15 of the row and of the column coordinate form the texel index,
// so the texture repeats every 256 texels both ways, negatives included.
__m128i texelIndices(__m128i y, __m128i x) {
    return _mm_or_si128(_mm_and_si128(y, _mm_set1_epi32(0xFF00)),
                        _mm_and_si128(_mm_srli_epi32(x, 8), _mm_set1_epi32(0xFF)));
}

// Four texels; an index fits in 16 bits, so each is one word extract.
__m128i fetchTexels(const unsigned int* texture, __m128i indices) {
    const __m128i t0 = _mm_cvtsi32_si128(static_cast<int>(texture[_mm_extract_epi16(indices, 0)]));
    const __m128i t1 = _mm_cvtsi32_si128(static_cast<int>(texture[_mm_extract_epi16(indices, 2)]));
    const __m128i t2 = _mm_cvtsi32_si128(static_cast<int>(texture[_mm_extract_epi16(indices, 4)]));
    const __m128i t3 = _mm_cvtsi32_si128(static_cast<int>(texture[_mm_extract_epi16(indices, 6)]));
    return _mm_unpacklo_epi64(_mm_unpacklo_epi32(t0, t1), _mm_unpacklo_epi32(t2, t3));
}

struct Texels8 {
    __m128i first;
    __m128i second;
};

Texels8 fetchRow(const unsigned int* texture, const Lanes8& y, const Lanes8& x) {
    return {fetchTexels(texture, texelIndices(y.first, x.first)),
            fetchTexels(texture, texelIndices(y.second, x.second))};
}

// Sixteen-bit lane values spread over the four channel lanes of their pixel:
// `perPixel` holds one value per pixel (pixels 0-7); the result holds pixels
// 2k and 2k+1 with each value repeated four times.
struct Spread {
    __m128i pixels01, pixels23, pixels45, pixels67;
};

Spread spreadOverChannels(__m128i perPixel) {
    const __m128i low = _mm_unpacklo_epi16(perPixel, perPixel);
    const __m128i high = _mm_unpackhi_epi16(perPixel, perPixel);
    return {_mm_unpacklo_epi32(low, low), _mm_unpackhi_epi32(low, low),
            _mm_unpacklo_epi32(high, high), _mm_unpackhi_epi32(high, high)};
}

// Pixels 0-3 or 4-7 widened to one 16-bit lane per channel.
__m128i lowPixelChannels(__m128i pixels) { return _mm_unpacklo_epi8(pixels, _mm_setzero_si128()); }
__m128i highPixelChannels(__m128i pixels) { return _mm_unpackhi_epi8(pixels, _mm_setzero_si128()); }

// drawShaded's level ramp. With L the whole level, clamped to 0..255:
// up to 127 the texel darkens (weight 2L, no white); from 128 it moves
// toward white (I = 2L - 254, weight 255 - I, white (255 * I) >> 8). At 255
// the weight would be -1; the ramp's limit is taken instead: weight 0, white
// 255. One expression covers all three: weight = min(2L, max(509 - 2L, 0)),
// I = max(2L - 254, 0).
struct ShadeFactors {
    __m128i weight;  // one 16-bit lane per pixel
    __m128i white;
};

ShadeFactors shadeFactors(const Lanes8& level) {
    const __m128i whole = _mm_packs_epi32(_mm_srai_epi32(level.first, 8), _mm_srai_epi32(level.second, 8));
    const __m128i clamped = _mm_min_epi16(_mm_max_epi16(whole, _mm_setzero_si128()), _mm_set1_epi16(255));
    const __m128i twice = _mm_add_epi16(clamped, clamped);
    const __m128i toWhite = _mm_max_epi16(_mm_sub_epi16(twice, _mm_set1_epi16(254)), _mm_setzero_si128());
    const __m128i weight = _mm_min_epi16(
        twice, _mm_max_epi16(_mm_sub_epi16(_mm_set1_epi16(509), twice), _mm_setzero_si128()));
    const __m128i white = _mm_srli_epi16(_mm_mullo_epi16(toWhite, _mm_set1_epi16(255)), 8);
    return {weight, white};
}

// (channel * weight >> 8) + white for two pixels' channels.
__m128i shadeChannels(__m128i channels, __m128i weight, __m128i white) {
    return _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(channels, weight), 8), white);
}

void shadeRow(const Texels8& texels, const Lanes8& level, unsigned int* out) {
    const ShadeFactors factors = shadeFactors(level);
    const Spread weight = spreadOverChannels(factors.weight);
    const Spread white = spreadOverChannels(factors.white);
    const __m128i first = _mm_packus_epi16(
        shadeChannels(lowPixelChannels(texels.first), weight.pixels01, white.pixels01),
        shadeChannels(highPixelChannels(texels.first), weight.pixels23, white.pixels23));
    const __m128i second = _mm_packus_epi16(
        shadeChannels(lowPixelChannels(texels.second), weight.pixels45, white.pixels45),
        shadeChannels(highPixelChannels(texels.second), weight.pixels67, white.pixels67));
    const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);  // bits 24-31 of the output are 0
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_and_si128(first, colourBytes));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_and_si128(second, colourBytes));
}

// drawHalfBlend's darkening: red and blue times the whole level, green times
// the full 8.8 level, each over 256 (level 255 leaves 255/256 of the texel).
// As one 16-bit high-half product per channel: channel * (level AND 0xFF00)
// >> 16 for red and blue, channel * level >> 16 for green, 0 for bits 24-31.
// Levels are taken within 0..255 (65535 in 8.8), the only ones fills make.
__m128i levelsAsWords(const Lanes8& level) {
    // Signed saturation around a bias of 32768 packs 0..65535 unsigned.
    const __m128i bias = _mm_set1_epi32(32768);
    const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(level.first, bias), _mm_sub_epi32(level.second, bias));
    return _mm_xor_si128(packed, _mm_set1_epi16(static_cast<short>(0x8000)));
}

struct DarkenFactors {
    __m128i pixels01, pixels23, pixels45, pixels67;  // per channel lane
};

DarkenFactors darkenFactors(const Lanes8& level) {
    const __m128i full = levelsAsWords(level);
    const __m128i whole = _mm_and_si128(full, _mm_set1_epi16(static_cast<short>(0xFF00)));
    // Per pixel the pair (whole, full) in one 32-bit element, then each pixel
    // as (whole, full, whole, 0): red, green, blue and the unused byte.
    const __m128i pairsLow = _mm_unpacklo_epi16(whole, full);
    const __m128i pairsHigh = _mm_unpackhi_epi16(whole, full);
    const __m128i noTopByte = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    auto twoPixels = [&](__m128i pairs, bool high) {
        const __m128i doubled = high ? _mm_unpackhi_epi32(pairs, pairs) : _mm_unpacklo_epi32(pairs, pairs);
        return _mm_and_si128(doubled, noTopByte);
    };
    return {twoPixels(pairsLow, false), twoPixels(pairsLow, true), twoPixels(pairsHigh, false),
            twoPixels(pairsHigh, true)};
}

// Each channel of two pixels halved after dropping its lowest bit, summed.
__m128i averageDroppingLowBits(__m128i a, __m128i b) {
    const __m128i keep = _mm_set1_epi32(0x007F7F7F);
    return _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(a, 1), keep), _mm_and_si128(_mm_srli_epi32(b, 1), keep));
}

void halfBlendRow(const Texels8& texels, const Lanes8& level, unsigned int* out) {
    const DarkenFactors factors = darkenFactors(level);
    const __m128i first = _mm_packus_epi16(
        _mm_mulhi_epu16(lowPixelChannels(texels.first), factors.pixels01),
        _mm_mulhi_epu16(highPixelChannels(texels.first), factors.pixels23));
    const __m128i second = _mm_packus_epi16(
        _mm_mulhi_epu16(lowPixelChannels(texels.second), factors.pixels45),
        _mm_mulhi_epu16(highPixelChannels(texels.second), factors.pixels67));
    __m128i* target = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(target, averageDroppingLowBits(first, _mm_loadu_si128(target)));
    _mm_storeu_si128(target + 1, averageDroppingLowBits(second, _mm_loadu_si128(target + 1)));
}

// The values of one quantity at the eight pixels of a cell row, and how
// much they change from one pixel row to the next.
//
// Every edge value is a multiple of 32 (corners times 256, edge steps times
// 32), so a row's eighth (R - L) >> 3 is exact and grows by the same
// (dR - dL) >> 3 on every row. Pixel j of row k is therefore
// L0 + j s0 + k (dL + j ds): adding one vector per row gives the same values
// as re-interpolating each row (a wrap past 2^31 can only change bits 29 and
// up, which neither the texel index nor a level of 0..255 reads).
struct CellQuantity {
    Lanes8 value;
    Lanes8 perRow;
};

CellQuantity cellQuantity(Fixed left, Fixed right, Fixed leftStep, Fixed rightStep) {
    return {rowLanes(left, spanStep(left, right)), rowLanes(leftStep, spanStep(leftStep, rightStep))};
}

void nextRow(CellQuantity& quantity) {
    quantity.value.first = _mm_add_epi32(quantity.value.first, quantity.perRow.first);
    quantity.value.second = _mm_add_epi32(quantity.value.second, quantity.perRow.second);
}

// A cell of the SSE2 path: `drawRow(texels, levels, out)` writes one row of
// eight pixels.
template <auto drawRow>
void walkCellWide(int column, int row, const GridPoint* points, const unsigned int* texture, unsigned int* target) {
    walkCell<cellQuantity>(
        column, row, points, target,
        [&](const CellQuantity& y, const CellQuantity& x, const CellQuantity& level, unsigned int* out) {
            drawRow(fetchRow(texture, y.value, x.value), level.value, out);
        });
}

#endif

// Cell rows top to bottom, cells left to right; the loop bounds never pass
// the point array or the frame-sized target, whatever the two counts say.
template <typename DrawCell>
void forEachCell(int columns, int rows, DrawCell drawCell) {
    const int pointRows = std::min(rows, DeformGrid::kRows);
    const int pointColumns = std::min(columns, DeformGrid::kColumns);
    for (int row = 0; row + 1 < pointRows; ++row) {
        for (int column = 0; column + 1 < pointColumns; ++column) drawCell(column, row);
    }
}

}  // namespace

void plain::drawCellShaded(int column, int row, const GridPoint* points, const unsigned int* texture,
                           unsigned int* target) {
    walkCellPlain(column, row, points, texture, target,
                  [](unsigned int texel, Fixed level, unsigned int* out) { *out = shadePixel(texel, level); });
}

void plain::drawCellHalfBlend(int column, int row, const GridPoint* points, const unsigned int* texture,
                              unsigned int* target) {
    walkCellPlain(column, row, points, texture, target, [](unsigned int texel, Fixed level, unsigned int* out) {
        *out = halfBlendPixel(texel, level, *out);
    });
}

void DeformGrid::drawCellShaded(int column, int row, const GridPoint* points,
                                const unsigned int* texture, unsigned int* target) {
#if VG_SIMD
    walkCellWide<shadeRow>(column, row, points, texture, target);
#else
    plain::drawCellShaded(column, row, points, texture, target);
#endif
}

void DeformGrid::drawCellHalfBlend(int column, int row, const GridPoint* points,
                                   const unsigned int* texture, unsigned int* target) {
#if VG_SIMD
    walkCellWide<halfBlendRow>(column, row, points, texture, target);
#else
    plain::drawCellHalfBlend(column, row, points, texture, target);
#endif
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
