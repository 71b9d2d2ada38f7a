#pragma once
// Resamples a packed-pixel picture by exact area averaging: each target
// pixel is the mean of the source area it covers, with source pixels that
// it covers only in part weighted by the part. Integer arithmetic rounded to
// nearest, so every build gives the same bytes. Pixels are in the frame
// layout (red bits 0-7, green 8-15, blue 16-23); bits 24-31 are ignored and
// come out zero.
#include <cstdint>
#include <vector>

// Division by a fixed divisor as a multiply and a shift, exact for every
// numerator below 2^numeratorBits (multiplier = floor(2^shift / d) + 1 with
// shift = numeratorBits + ceil(log2 d): the error stays below 1 / d).
class ExactDivider {
public:
    ExactDivider(std::uint32_t divisor, int numeratorBits);
    std::uint32_t divide(std::uint64_t numerator) const {
        return static_cast<std::uint32_t>(numerator * multiplier_ >> shift_);
    }

private:
    std::uint64_t multiplier_;
    int shift_;
};

class AreaAverager {
public:
    // Sizes of at least 1; the source within the limits below.
    AreaAverager(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

    // `target` holds targetWidth x targetHeight pixels.
    void run(const std::uint32_t* source, std::uint32_t* target);

    int targetWidth() const { return targetWidth_; }
    int targetHeight() const { return targetHeight_; }

    // Keep a column's weighted channel sum within 16 bits and a target
    // pixel's within 32 bits.
    static constexpr int kMaxSourceWidth = 8192;
    static constexpr int kMaxSourceHeight = 256;

private:
    // The source pixels one target pixel covers along an axis, and how much
    // of each (the weights of one target pixel sum to the source size).
    struct Span {
        int first;
        int count;
        int weightOffset;
    };
    struct Axis {
        std::vector<Span> spans;
        std::vector<std::uint32_t> weights;
        int taps = 0;  // the largest count
    };
    static Axis makeAxis(int sourceSize, int targetSize);

    // The first row of a target row starts the sums instead of adding.
    void addWeightedRow(const std::uint8_t* pixelBytes, std::uint32_t weight, bool first);
    void averageRow(std::uint32_t* out) const;
    template <int Taps>
    void averageAcross(std::uint32_t* out) const;

    int sourceWidth_;
    int targetWidth_;
    int targetHeight_;
    Axis rows_;
    // Every column span padded with zero weights to the same number of
    // taps, each weight four times over (once for each byte of a pixel).
    std::vector<int> columnFirst_;
    std::vector<std::uint32_t> columnWeights_;
    int columnTaps_ = 0;
    ExactDivider divider_;
    std::uint32_t roundingHalf_ = 0;
    // One target row's weighted sums down each source column, one 16-bit
    // sum per byte of the source pixels; zeros past the row's end.
    std::vector<std::uint16_t> columnSums_;
};
