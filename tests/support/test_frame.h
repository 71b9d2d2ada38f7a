#pragma once
// A frame for the picture encoders: a gradient, flat areas and noise (runs
// long and short, colours near and far from any palette), and junk in the
// unused top byte, which no picture may show.
#include <cstdint>
#include <random>
#include <vector>

#include "engine/frame.h"

inline std::vector<std::uint32_t> seededTestFrame(unsigned seed) {
    std::vector<std::uint32_t> frame(kFramePixels);
    std::mt19937 random(seed);
    for (int i = 0; i < kFramePixels; ++i) {
        const std::uint32_t x = static_cast<std::uint32_t>(i % kFrameWidth), y = static_cast<std::uint32_t>(i / kFrameWidth);
        std::uint32_t rgb;
        if (y < 60) rgb = x * 255 / 319 | (y * 4) << 8 | 0x400000;
        else if (y < 120) rgb = x < 160 ? 0x102030 : 0xF0E0D0;
        else rgb = random() & 0xFFFFFF;
        frame[i] = rgb | 0xAB000000u;
    }
    return frame;
}
