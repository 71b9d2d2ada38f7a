#include "tools/gen/pictures/picture_image.h"

#include <cmath>

namespace gen {

Image downsample(const Image& source, int factor) {
    Image result(source.width() / factor, source.height() / factor);
    const float weight = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            Color sum;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) sum += source.at(x * factor + i, y * factor + j);
            result.at(x, y) = sum * weight;
        }
    }
    return result;
}

namespace {

std::vector<float> gaussianKernel(float sigma) {
    const int radius = static_cast<int>(std::ceil(sigma * 3.0f));
    std::vector<float> kernel(2 * radius + 1);
    float total = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-0.5f * static_cast<float>(i * i) / (sigma * sigma));
        total += kernel[i + radius];
    }
    for (float& k : kernel) k /= total;
    return kernel;
}

}  // namespace

Mask blurred(const Mask& source, float sigma) {
    const std::vector<float> kernel = gaussianKernel(sigma);
    const int radius = static_cast<int>(kernel.size() / 2);
    Mask across(source.width, source.height), result(source.width, source.height);
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            float sum = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int sx = x + i;
                if (sx >= 0 && sx < source.width) sum += kernel[i + radius] * source.at(sx, y);
            }
            across.at(x, y) = sum;
        }
    }
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            float sum = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int sy = y + i;
                if (sy >= 0 && sy < source.height) sum += kernel[i + radius] * across.at(x, sy);
            }
            result.at(x, y) = sum;
        }
    }
    return result;
}

void addGlow(Image& image, const Mask& mask, Color color, float strength) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.at(x, y) += color * (mask.at(x, y) * strength);
}

}  // namespace gen
