#pragma once
// A plain 8-bit RGB picture, the form every capture output is written from.
#include <cstdint>
#include <vector>

// The most pixels a capture's picture beside the frame buffer may have:
// 8192 x 5120 (126 MB as RGB), room for a terminal of 8 x 16 pixel cells as
// large as --terminal goes. Larger requests are refused before the first
// frame.
constexpr int kLargestPictureWidth = 8192;
constexpr int kLargestPictureHeight = 5120;
constexpr std::int64_t kLargestPicturePixels =
    std::int64_t{kLargestPictureWidth} * kLargestPictureHeight;

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top down, 3 bytes a pixel

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3, 0) {}
    std::uint8_t* pixel(int x, int y) {
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
    const std::uint8_t* pixel(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

// FrameBuffer layout: red bits 0-7, green 8-15, blue 16-23.
RgbImage imageFromFrameBuffer(const std::uint32_t* pixels, int width, int height);

// Bytes A, R, G, B per pixel, as the console font renderer writes them.
RgbImage imageFromArgbBytes(const std::uint8_t* argb, int width, int height);

// Area-weighted resampling: each target pixel is the exact average of the
// source area it covers, computed in integers so runs agree bit for bit.
RgbImage resizeArea(const RgbImage& source, int width, int height);

// Copies `source` with its top left corner at (x, y), clipped to `target`.
void blit(RgbImage& target, const RgbImage& source, int x, int y);

void fill(RgbImage& image, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// 0.299 R + 0.587 G + 0.114 B: the weights of every luminance the capture
// tool reports.
inline double pixelLuminance(double r, double g, double b) { return 0.299 * r + 0.587 * g + 0.114 * b; }

// `picture` in the middle of a black width x height image (clipped where it
// is larger); `picture` itself when it has that size already.
RgbImage letterbox(const RgbImage& picture, int width, int height);

// Luma weights in thousandths, so sums stay exact integers.
inline std::uint64_t lumaThousandths(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return 299u * r + 587u * g + 114u * b;
}

// Mean of 0.299 R + 0.587 G + 0.114 B over all pixels, 0 to 255.
double meanLuminance(const RgbImage& image);
double meanLuminance(const std::uint32_t* frameBuffer, int pixelCount);
