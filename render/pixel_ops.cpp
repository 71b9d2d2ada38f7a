#include "render/pixel_ops.h"

#include <algorithm>
#include <cstdint>

#include "render/fixed_point.h"
#include "render/plain_twins.h"
#include "render/simd.h"
#include "render/stretch_plan.h"

namespace {

#if VG_SIMD
// Four columns at a time, each texel read on its own, while four are left
// before `columnEnd`. Returns the first column not drawn; `accumulator`
// moves on with the columns.
template <typename Combine>
std::int64_t gatherFours(const unsigned int* sourceRow, unsigned int* destinationRow,
                         std::int64_t column, std::int64_t columnEnd, std::int64_t& accumulator,
                         std::int64_t stepX, Combine combine) {
    for (; column + 4 <= columnEnd; column += 4) {
        const unsigned int s0 = sourceRow[wholeOfFraction8(accumulator)];
        const unsigned int s1 = sourceRow[wholeOfFraction8(accumulator + stepX)];
        const unsigned int s2 = sourceRow[wholeOfFraction8(accumulator + 2 * stepX)];
        const unsigned int s3 = sourceRow[wholeOfFraction8(accumulator + 3 * stepX)];
        accumulator += 4 * stepX;
        __m128i* out = reinterpret_cast<__m128i*>(destinationRow + column);
        const __m128i sources = _mm_setr_epi32(static_cast<int>(s0), static_cast<int>(s1),
                                               static_cast<int>(s2), static_cast<int>(s3));
        _mm_storeu_si128(out, combine.four(_mm_loadu_si128(out), sources));
    }
    return column;
}
#endif

#if VG_BYTE_SHUFFLE
// The plan's groups of four columns from `column` on, each one load and one
// shuffle. Returns the first column not drawn; `accumulator` moves on.
template <typename Combine>
std::int64_t shuffleFours(const StretchPlan& plan, const unsigned int* sourceRow,
                          unsigned int* destinationRow, std::int64_t column,
                          std::int64_t& accumulator, std::int64_t stepX, Combine combine) {
    for (int group = 0; group < plan.groups; ++group, column += 4) {
        const __m128i loaded = wasm_v128_load(sourceRow + plan.first[group]);
        const __m128i sources = wasm_i8x16_swizzle(loaded, wasm_v128_load(plan.lanes[group]));
        __m128i* out = reinterpret_cast<__m128i*>(destinationRow + column);
        _mm_storeu_si128(out, combine.four(_mm_loadu_si128(out), sources));
    }
    accumulator += 4 * plan.groups * stepX;
    return column;
}
#endif

// The walk every sprite draw shares; `combine(destinationPixel, sourcePixel)`
// gives the pixel to write. Sizes are checked before any division, and the
// setup runs in 64 bits so that far-off positions cannot overflow; inside the
// clipped rectangle the 24.8 source accumulators stay below size * 256.
// With `Wide`, a combine that also offers `four(destination, source)` on
// four packed pixels gets the row four columns at a time; where the build
// can shuffle bytes and the sprite is stretched, by a plan made once.
template <bool Wide, typename Combine>
void walkSprite(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                const unsigned int* source, unsigned int* destination, Combine combine) {
    // A source of negative size has no pixels to read; treating it like an
    // empty one keeps the accumulators from walking backwards out of it.
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;
    const std::int64_t left = x;
    const std::int64_t top = y;
    if (top + dstHeight <= 0 || top >= kFrameHeight) return;
    if (left + dstWidth <= 0 || left >= kFrameWidth) return;

    const std::int64_t stepY = scaledStep(srcHeight, dstHeight);
    const std::int64_t stepX = scaledStep(srcWidth, dstWidth);
    const std::int64_t rowBegin = std::max<std::int64_t>(top, 0);
    const std::int64_t rowEnd = std::min<std::int64_t>(top + dstHeight, kFrameHeight - 1);
    const std::int64_t columnBegin = std::max<std::int64_t>(left, 0);
    const std::int64_t columnEnd = std::min<std::int64_t>(left + dstWidth, kFrameWidth - 1);

    std::int64_t rowAccumulator = (rowBegin - top) * stepY;
    const std::int64_t columnStart = (columnBegin - left) * stepX;
#if VG_BYTE_SHUFFLE
    StretchPlan plan;
    const bool stretched = Wide && canStretch(srcWidth, stepX);
    if (stretched)
        planStretch(columnStart, stepX, static_cast<int>(columnEnd - columnBegin), srcWidth, plan);
#endif
    for (std::int64_t row = rowBegin; row < rowEnd; ++row) {
        const unsigned int* sourceRow = source + wholeOfFraction8(rowAccumulator) * srcWidth;
        unsigned int* destinationRow = destination + row * kFrameStride;
        std::int64_t columnAccumulator = columnStart;
        std::int64_t column = columnBegin;
#if VG_SIMD
        if constexpr (Wide && requires(__m128i pixels) { combine.four(pixels, pixels); }) {
#if VG_BYTE_SHUFFLE
            if (stretched)
                column = shuffleFours(plan, sourceRow, destinationRow, column, columnAccumulator,
                                      stepX, combine);
#endif
            column = gatherFours(sourceRow, destinationRow, column, columnEnd, columnAccumulator,
                                 stepX, combine);
        }
#endif
        for (; column < columnEnd; ++column) {
            destinationRow[column] =
                combine(destinationRow[column], sourceRow[wholeOfFraction8(columnAccumulator)]);
            columnAccumulator += stepX;
        }
        rowAccumulator += stepY;
    }
}

// blitScaledAddFade's mix for a weight of 0..255: blendColor(d, addSaturate(d, s), w).
// Four pixels at once with one 16-bit lane per channel: d * w + added *
// (255 - w) is at most 255 * 255, so the lanes give the packed formula's
// bits exactly.
struct FadeAdded {
    int weight;

    unsigned int operator()(unsigned int d, unsigned int s) const {
        return blendColor(d, addSaturate(d, s), weight);
    }

#if VG_SIMD
    __m128i four(__m128i d, __m128i s) const {
        const __m128i added = _mm_adds_epu8(d, s);
        const __m128i zero = _mm_setzero_si128();
        const __m128i oldWeight = _mm_set1_epi16(static_cast<short>(weight));
        const __m128i addedWeight = _mm_set1_epi16(static_cast<short>(255 - weight));
        auto mix = [&](__m128i oldChannels, __m128i addedChannels) {
            return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(oldChannels, oldWeight),
                                                _mm_mullo_epi16(addedChannels, addedWeight)),
                                  8);
        };
        const __m128i low = mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(added, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(added, zero));
        return _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0x00FFFFFF));
    }
#endif
};

template <bool Wide>
void addFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
             const unsigned int* source, unsigned int* destination, int w) {
    if (w >= 0 && w <= 255) {
        walkSprite<Wide>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, FadeAdded{w});
        return;
    }
    // Weights outside 0..255 wrap around in the packed formula; one pixel at a time.
    walkSprite<false>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
                      [w](unsigned int d, unsigned int s) { return blendColor(d, addSaturate(d, s), w); });
}

// Saturating add and subtract, also four pixels at once: the packed
// instructions clamp every byte on its own, the top one included, as
// addSaturate and subSaturate do.
struct Added {
    unsigned int operator()(unsigned int d, unsigned int s) const { return addSaturate(d, s); }
#if VG_SIMD
    __m128i four(__m128i d, __m128i s) const { return _mm_adds_epu8(d, s); }
#endif
};

struct Subtracted {
    unsigned int operator()(unsigned int d, unsigned int s) const { return subSaturate(d, s); }
#if VG_SIMD
    __m128i four(__m128i d, __m128i s) const { return _mm_subs_epu8(d, s); }
#endif
};

}  // namespace

void blitScaledAdd(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination) {
    walkSprite<kSimdBuild>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, Added{});
}

void blitScaledSub(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                   const unsigned int* source, unsigned int* destination) {
    walkSprite<kSimdBuild>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, Subtracted{});
}

void plain::blitScaledAdd(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                          const unsigned int* source, unsigned int* destination) {
    walkSprite<false>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, Added{});
}

void plain::blitScaledSub(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                          const unsigned int* source, unsigned int* destination) {
    walkSprite<false>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, Subtracted{});
}

void blitScaled(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                const unsigned int* source, unsigned int* destination) {
    walkSprite<false>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination,
                      [](unsigned int, unsigned int s) { return s; });
}

void blitScaledAddFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                       const unsigned int* source, unsigned int* destination, int w) {
    addFade<kSimdBuild>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, w);
}

void plain::blitScaledAddFade(int x, int y, int srcWidth, int srcHeight, int dstWidth, int dstHeight,
                              const unsigned int* source, unsigned int* destination, int w) {
    addFade<false>(x, y, srcWidth, srcHeight, dstWidth, dstHeight, source, destination, w);
}

namespace {

// blur4 keeps each channel in its own 16-bit lane of a 64-bit word
// (red | green << 16 | blue << 32 | top byte << 48): a sum of four bytes
// needs ten bits, so one add, one shift and one mask serve all channels of
// a pixel at once, and the bits a shift pulls down from the lane above land
// above bit 7, where the mask drops them (the top byte included).
using WidePixel = std::uint64_t;
constexpr WidePixel kWideColourMask = 0x000000FF00FF00FFull;

WidePixel widen(unsigned int pixel) {
    const WidePixel p = pixel;
    return (p & 0xFF) | (p & 0xFF00) << 8 | (p & 0xFF0000) << 16 | (p & 0xFF000000) << 24;
}

// Back to a 32-bit pixel; the top lane is already zero after the mask.
unsigned int narrow(WidePixel p) {
    return static_cast<unsigned int>((p & 0xFF) | (p >> 8 & 0xFF00) | (p >> 16 & 0xFF0000));
}

// The left neighbour is the pixel just written, so each result feeds the next.
WidePixel blurWithLeft(WidePixel otherThree, WidePixel left) {
    return (otherThree + left) >> 2 & kWideColourMask;
}

#if VG_SIMD
// Sums of the up, down and right neighbours of pixels i .. i+3, widened:
// pixels i and i+1 in `first`, i+2 and i+3 in `second`. None of them depends
// on this pass's output for these four pixels: up is a row back (already
// final), right and down still hold the old values.
struct FourSums {
    __m128i first;
    __m128i second;
};

FourSums sumUpDownRight(const unsigned int* buffer, std::int64_t i, std::int64_t stride) {
    const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i - stride));
    const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i + stride));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i + 1));
    const __m128i zero = _mm_setzero_si128();
    return {_mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(up, zero), _mm_unpacklo_epi8(down, zero)),
                          _mm_unpacklo_epi8(right, zero)),
            _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(up, zero), _mm_unpackhi_epi8(down, zero)),
                          _mm_unpackhi_epi8(right, zero))};
}

WidePixel lowHalf(__m128i pair) { return static_cast<WidePixel>(_mm_cvtsi128_si64(pair)); }
WidePixel highHalf(__m128i pair) { return lowHalf(_mm_unpackhi_epi64(pair, pair)); }
__m128i joinHalves(WidePixel low, WidePixel high) {
    return _mm_unpacklo_epi64(_mm_cvtsi64_si128(static_cast<long long>(low)),
                              _mm_cvtsi64_si128(static_cast<long long>(high)));
}

struct FourResults {
    WidePixel pixels[4];
};

FourResults blurFour(const FourSums& sums, WidePixel left) {
    const WidePixel p0 = blurWithLeft(lowHalf(sums.first), left);
    const WidePixel p1 = blurWithLeft(highHalf(sums.first), p0);
    const WidePixel p2 = blurWithLeft(lowHalf(sums.second), p1);
    return {{p0, p1, p2, blurWithLeft(highHalf(sums.second), p2)}};
}
#endif

// One pixel: the three neighbours not yet blurred by this pass, and the
// left one that was.
WidePixel blurOne(const unsigned int* buffer, std::int64_t i, std::int64_t stride, WidePixel left) {
    return blurWithLeft(widen(buffer[i - stride]) + widen(buffer[i + stride]) + widen(buffer[i + 1]), left);
}

template <bool Wide>
void blurInPlace(int width, int height, unsigned int* buffer) {
    // Two negative sizes multiply to a positive count, but describe no
    // buffer; they are treated like any other empty area.
    if (width <= 0 || height <= 0) return;
    // The width and height only say how long the run is: rows always lie a
    // frame's stride apart, whatever the width. Starting a row and two
    // pixels in and stopping a row and a pixel short of the run's end keeps
    // every neighbour inside the run.
    const std::int64_t stride = kFrameStride;
    const std::int64_t count = std::int64_t{width} * height;
    const std::int64_t first = stride + 2;
    const std::int64_t last = count - stride - 1;
    if (first > last) return;
    WidePixel left = widen(buffer[first - 1]) & kWideColourMask;
    std::int64_t i = first;
#if VG_SIMD
    // Four pixels at a time; the few left over one by one.
    for (; Wide && i + 3 <= last; i += 4) {
        const FourResults blurred = blurFour(sumUpDownRight(buffer, i, stride), left);
        const WidePixel(&p)[4] = blurred.pixels;
        left = p[3];
        // Top lanes are zero, so packing with unsigned saturation is exact.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + i),
                         _mm_packus_epi16(joinHalves(p[0], p[1]), joinHalves(p[2], p[3])));
    }
#endif
    for (; i <= last; ++i) {
        left = blurOne(buffer, i, stride, left);
        buffer[i] = narrow(left);
    }
}

}  // namespace

void blur4(int width, int height, unsigned int* buffer) { blurInPlace<kSimdBuild>(width, height, buffer); }

void plain::blur4(int width, int height, unsigned int* buffer) { blurInPlace<false>(width, height, buffer); }
