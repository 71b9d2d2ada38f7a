#pragma once
// A picture for the picture encoders: a gradient, flat areas and noise (runs
// long and short, colours near and far from any palette), junk in the
// unused top byte, which no picture may show, and junk pixels past the end
// of each row, which no picture may show either.
#include <cstdint>
#include <random>
#include <vector>

#include "render/pixel_view.h"

struct TestPicture {
    int width = 0;
    int height = 0;
    int rowPixels = 0;  // with the junk past each row
    std::vector<std::uint32_t> pixels;

    PixelView view() const {
        return {pixels.data(), width, height, rowPixels * static_cast<int>(sizeof(std::uint32_t))};
    }
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * rowPixels + x]; }
};

inline TestPicture seededTestPicture(unsigned seed, int width, int height) {
    TestPicture picture{width, height, width + 3, {}};
    picture.pixels.resize(static_cast<std::size_t>(picture.rowPixels) * height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x <= width + 2; ++x) {
            const auto ux = static_cast<std::uint32_t>(x), uy = static_cast<std::uint32_t>(y);
            std::uint32_t rgb;
            if (x >= width) rgb = 0xFF00FF;
            else if (y < height * 3 / 10) rgb = ux * 255 / static_cast<std::uint32_t>(width) | (uy * 4 & 0xFF) << 8 | 0x400000;
            else if (y < height * 6 / 10) rgb = x < width / 2 ? 0x102030 : 0xF0E0D0;
            else rgb = random() & 0xFFFFFF;
            picture.pixels[static_cast<std::size_t>(y) * picture.rowPixels + x] = rgb | 0xAB000000u;
        }
    }
    return picture;
}
