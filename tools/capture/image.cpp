#include "tools/capture/image.h"

#include <algorithm>

namespace {

// Resamples along one axis. `count` lines of `srcLength` samples become lines
// of `dstLength`; `stride`/`step` describe how samples lie in memory. A source
// sample i covers [i * dst, (i + 1) * dst) and a target sample x covers
// [x * src, (x + 1) * src) on a common scale, so overlaps are integers.
void resampleAxis(const std::uint8_t* src, std::uint8_t* dst, int srcLength, int dstLength,
                  int lines, std::size_t srcLineStride, std::size_t dstLineStride,
                  std::size_t srcStep, std::size_t dstStep) {
    const std::int64_t s = srcLength;
    const std::int64_t d = dstLength;
    for (int line = 0; line < lines; ++line) {
        const std::uint8_t* in = src + line * srcLineStride;
        std::uint8_t* out = dst + line * dstLineStride;
        for (std::int64_t x = 0; x < d; ++x) {
            const std::int64_t lo = x * s;
            const std::int64_t hi = lo + s;
            std::int64_t sum[3] = {0, 0, 0};
            for (std::int64_t i = lo / d; i < s && i * d < hi; ++i) {
                const std::int64_t weight = std::min(hi, (i + 1) * d) - std::max(lo, i * d);
                for (int c = 0; c < 3; ++c) sum[c] += weight * in[i * srcStep + c];
            }
            for (int c = 0; c < 3; ++c)
                out[x * dstStep + c] = static_cast<std::uint8_t>((sum[c] + s / 2) / s);
        }
    }
}

// Resamples the rows of `across` (columns already at their new count).
RgbImage resampleRows(const RgbImage& across, int height) {
    const int width = across.width;
    RgbImage result(width, height);
    resampleAxis(across.rgb.data(), result.rgb.data(), across.height, height, width, 3, 3,
                 static_cast<std::size_t>(width) * 3, static_cast<std::size_t>(width) * 3);
    return result;
}

}  // namespace

RgbImage imageFromFrameBuffer(const std::uint32_t* pixels, int width, int height) {
    RgbImage image(width, height);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        image.rgb[i * 3 + 0] = static_cast<std::uint8_t>(pixels[i] & 0xFF);
        image.rgb[i * 3 + 1] = static_cast<std::uint8_t>((pixels[i] >> 8) & 0xFF);
        image.rgb[i * 3 + 2] = static_cast<std::uint8_t>((pixels[i] >> 16) & 0xFF);
    }
    return image;
}

RgbImage imageFromArgbBytes(const std::uint8_t* argb, int width, int height) {
    RgbImage image(width, height);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i)
        for (int c = 0; c < 3; ++c) image.rgb[i * 3 + c] = argb[i * 4 + 1 + c];
    return image;
}

RgbImage resizeArea(const RgbImage& source, int width, int height) {
    if (source.width == width && source.height == height) return source;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0)
        return RgbImage(std::max(width, 0), std::max(height, 0));
    // An axis that keeps its length would come out as it went in: skipped.
    if (source.width == width) return resampleRows(source, height);
    RgbImage across(width, source.height);
    resampleAxis(source.rgb.data(), across.rgb.data(), source.width, width, source.height,
                 static_cast<std::size_t>(source.width) * 3, static_cast<std::size_t>(width) * 3, 3,
                 3);
    if (source.height == height) return across;
    return resampleRows(across, height);
}

void blit(RgbImage& target, const RgbImage& source, int x, int y) {
    for (int row = 0; row < source.height; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= target.height) continue;
        for (int col = 0; col < source.width; ++col) {
            const int tx = x + col;
            if (tx < 0 || tx >= target.width) continue;
            std::copy_n(source.pixel(col, row), 3, target.pixel(tx, ty));
        }
    }
}

void fill(RgbImage& image, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        image.rgb[i] = r;
        image.rgb[i + 1] = g;
        image.rgb[i + 2] = b;
    }
}

RgbImage letterbox(const RgbImage& picture, int width, int height) {
    if (picture.width == width && picture.height == height) return picture;
    RgbImage boxed(width, height);
    blit(boxed, picture, (width - picture.width) / 2, (height - picture.height) / 2);
    return boxed;
}

double meanLuminance(const RgbImage& image) {
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (count == 0) return 0.0;
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += lumaThousandths(image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2]);
    return static_cast<double>(sum) / 1000.0 / static_cast<double>(count);
}

double meanLuminance(const std::uint32_t* frameBuffer, int pixelCount) {
    if (pixelCount <= 0) return 0.0;
    std::uint64_t sum = 0;
    for (int i = 0; i < pixelCount; ++i) {
        const std::uint32_t p = frameBuffer[i];
        sum += lumaThousandths(p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF);
    }
    return static_cast<double>(sum) / 1000.0 / pixelCount;
}
