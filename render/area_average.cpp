#include "render/area_average.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

// The two loops that touch every pixel are built twice on x86-64, for any
// such processor and for those with AVX2 (wider vectors, and a 32-bit
// multiply per lane), and the loader picks one when the program starts
// (an ELF loader's ifunc: a Windows program has the plain build only, which
// gives the same sums).
#if defined(__x86_64__) && defined(__ELF__)
#define VG_AVX2_CLONE __attribute__((target_clones("avx2", "default")))
#else
#define VG_AVX2_CLONE
#endif

namespace {

int bitsFor(std::uint64_t value) { return std::bit_width(value); }

// Where each channel's byte sits in memory, so the sums can run over plain
// bytes whatever the machine's byte order.
constexpr bool kLittleEndian = std::endian::native == std::endian::little;
constexpr int kRedByte = kLittleEndian ? 0 : 3;
constexpr int kGreenByte = kLittleEndian ? 1 : 2;
constexpr int kBlueByte = kLittleEndian ? 2 : 1;

// Four 32-bit lanes, one per byte of a pixel (the compiler's vector type).
using ByteLanes = std::uint32_t __attribute__((vector_size(16)));

ByteLanes loadLanes(const std::uint32_t* four) {
    ByteLanes lanes;
    std::memcpy(&lanes, four, sizeof lanes);
    return lanes;
}

}  // namespace

ExactDivider::ExactDivider(std::uint32_t divisor, int numeratorBits)
    : shift_(numeratorBits + bitsFor(divisor - 1)) {
    multiplier_ = ((std::uint64_t{1} << shift_) / divisor) + 1;
}

AreaAverager::AreaAverager(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight)
    : sourceWidth_(sourceWidth),
      targetWidth_(targetWidth),
      targetHeight_(targetHeight),
      divider_(1, 1) {
    if (sourceWidth < 1 || sourceHeight < 1 || targetWidth < 1 || targetHeight < 1 ||
        sourceWidth > kMaxSourceWidth || sourceHeight > kMaxSourceHeight)
        throw std::invalid_argument("area averaging: a size is empty or the source too large");
    rows_ = makeAxis(sourceHeight, targetHeight);
    const Axis columns = makeAxis(sourceWidth, targetWidth);
    columnTaps_ = columns.taps;
    for (const Span& span : columns.spans) {
        columnFirst_.push_back(span.first);
        for (int k = 0; k < columnTaps_; ++k)
            columnWeights_.insert(columnWeights_.end(), 4,
                                  k < span.count ? columns.weights[span.weightOffset + k] : 0u);
    }
    // Room past the row's end for the zero-weighted taps of the last pixels.
    columnSums_.resize(static_cast<std::size_t>(sourceWidth + columnTaps_) * 4);
    // Every target pixel's weights sum to the source area; a rounded
    // channel sum stays below 256 times that.
    const auto total = static_cast<std::uint32_t>(sourceWidth * sourceHeight);
    divider_ = ExactDivider(total, bitsFor(256ull * total));
    roundingHalf_ = total / 2;
}

// In units of 1 / (sourceSize * targetSize) of the whole axis, target pixel
// i covers [i * sourceSize, (i + 1) * sourceSize) and source pixel s covers
// [s * targetSize, (s + 1) * targetSize); a weight is their overlap.
AreaAverager::Axis AreaAverager::makeAxis(int sourceSize, int targetSize) {
    Axis axis;
    for (int i = 0; i < targetSize; ++i) {
        const long long begin = static_cast<long long>(i) * sourceSize;
        const long long end = begin + sourceSize;
        const int first = static_cast<int>(begin / targetSize);
        const int last = static_cast<int>((end - 1) / targetSize);
        axis.spans.push_back({first, last - first + 1, static_cast<int>(axis.weights.size())});
        axis.taps = std::max(axis.taps, last - first + 1);
        for (int s = first; s <= last; ++s) {
            const long long sourceBegin = static_cast<long long>(s) * targetSize;
            const long long overlap =
                std::min(end, sourceBegin + targetSize) - std::max(begin, sourceBegin);
            axis.weights.push_back(static_cast<std::uint32_t>(overlap));
        }
    }
    return axis;
}

void AreaAverager::run(const std::uint32_t* source, std::uint32_t* target) {
    // Bytes may be read from any object; the sums only need to know which
    // byte holds which channel at the end.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(source);
    const std::size_t rowBytes = static_cast<std::size_t>(sourceWidth_) * 4;
    for (int j = 0; j < targetHeight_; ++j) {
        const Span& rows = rows_.spans[static_cast<std::size_t>(j)];
        for (int k = 0; k < rows.count; ++k)
            addWeightedRow(bytes + static_cast<std::size_t>(rows.first + k) * rowBytes,
                           rows_.weights[static_cast<std::size_t>(rows.weightOffset + k)], k == 0);
        averageRow(target + static_cast<std::size_t>(j) * targetWidth_);
    }
}

// A byte times weights that sum to the source height (at most 256) stays
// within 16 bits, so the column sums are 16-bit lanes: a plain loop the
// compiler turns into wide vector code.
VG_AVX2_CLONE void AreaAverager::addWeightedRow(const std::uint8_t* pixelBytes, std::uint32_t weight,
                                  bool first) {
    std::uint16_t* __restrict sums = columnSums_.data();
    const auto factor = static_cast<std::uint16_t>(weight);
    const int count = sourceWidth_ * 4;
    if (first) {
        for (int i = 0; i < count; ++i) sums[i] = static_cast<std::uint16_t>(pixelBytes[i] * factor);
    } else {
        for (int i = 0; i < count; ++i)
            sums[i] = static_cast<std::uint16_t>(sums[i] + pixelBytes[i] * factor);
    }
}

// Every target pixel takes the same number of taps, so for the usual few
// the inner loop unrolls whole. A column sum times weights that sum to the
// source width stays within 32 bits.
template <int Taps>
VG_AVX2_CLONE void AreaAverager::averageAcross(std::uint32_t* out) const {
    const int taps = Taps > 0 ? Taps : columnTaps_;
    const std::uint32_t* weight = columnWeights_.data();
    for (int i = 0; i < targetWidth_; ++i, weight += 4 * taps) {
        const std::uint16_t* sums = columnSums_.data() + columnFirst_[static_cast<std::size_t>(i)] * 4;
        // All four bytes alike (one unused), as one vector of four lanes.
        ByteLanes total = {roundingHalf_, roundingHalf_, roundingHalf_, roundingHalf_};
        for (int k = 0; k < taps; ++k) {
            const ByteLanes lanes = {sums[4 * k], sums[4 * k + 1], sums[4 * k + 2], sums[4 * k + 3]};
            total += lanes * loadLanes(weight + 4 * k);
        }
        out[i] = divider_.divide(total[kRedByte]) | divider_.divide(total[kGreenByte]) << 8 |
                 divider_.divide(total[kBlueByte]) << 16;
    }
}

void AreaAverager::averageRow(std::uint32_t* out) const {
    switch (columnTaps_) {
        case 1: return averageAcross<1>(out);
        case 2: return averageAcross<2>(out);
        case 3: return averageAcross<3>(out);
        case 4: return averageAcross<4>(out);
        case 5: return averageAcross<5>(out);
        case 6: return averageAcross<6>(out);
        default: return averageAcross<0>(out);
    }
}
