#pragma once
// A floating-point RGB canvas that scenes paint into before it is reduced
// and written as a JPEG.
#include <vector>

#include "tools/gen/gen_math.h"

namespace gen {

class Image {
public:
    Image(int width, int height) : width_(width), height_(height), pixels_(width * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Color& at(int x, int y) { return pixels_[y * width_ + x]; }
    const Color& at(int x, int y) const { return pixels_[y * width_ + x]; }

private:
    int width_;
    int height_;
    std::vector<Color> pixels_;
};

// Averages factor x factor blocks: scenes render supersampled so that fine
// ridges and star points do not alias.
Image downsample(const Image& source, int factor);

// A single-channel coverage map (0..1), the shape that glows are made from.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    Mask(int w, int h) : width(w), height(h), values(w * h, 0.0f) {}
    float& at(int x, int y) { return values[y * width + x]; }
    float at(int x, int y) const { return values[y * width + x]; }
};

// Separable Gaussian blur; edges are treated as black.
Mask blurred(const Mask& source, float sigma);

// Adds `mask` tinted by `color` times `strength` onto the image.
void addGlow(Image& image, const Mask& mask, Color color, float strength);

}  // namespace gen
