#pragma once
// libsixel's reading of the first sixel image in some bytes: a decoder
// written by others, so our encoder is never checked by our own reader alone.
#include <sixel/sixel.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

struct LibsixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xBBGGRR, rows top down; empty when unreadable
};

inline LibsixelImage readWithLibsixel(std::string_view bytes) {
    LibsixelImage image;
    const std::size_t start = bytes.find("\x1bP");
    const std::size_t end = bytes.find("\x1b\\", start);
    if (start == std::string_view::npos || end == std::string_view::npos) return image;
    std::string copy(bytes.substr(start, end + 2 - start));
    unsigned char* indices = nullptr;
    unsigned char* palette = nullptr;
    int colors = 0;
    if (SIXEL_FAILED(sixel_decode_raw(reinterpret_cast<unsigned char*>(copy.data()), static_cast<int>(copy.size()),
                                      &indices, &image.width, &image.height, &palette, &colors, nullptr)))
        return image;
    for (int i = 0; i < image.width * image.height; ++i) {
        const unsigned char* rgb = &palette[indices[i] * 3];
        image.pixels.push_back(rgb[0] | rgb[1] << 8 | rgb[2] << 16);
    }
    std::free(indices);
    std::free(palette);
    return image;
}
