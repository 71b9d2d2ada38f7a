#pragma once
// A box of colours, channel by channel from low to high: the colours within
// a tolerance of a colour, those that pass for several (the box within each
// of theirs), or the spread of a few (the box that includes them all).
// Colours keep the frame's layout: red in bits 0-7, green 8-15, blue 16-23.
#include <algorithm>
#include <array>
#include <cstdint>

struct ColorBox {
    std::array<int, 3> low{};
    std::array<int, 3> high{};

    static int channelOf(std::uint32_t color, int channel) {
        return static_cast<int>(color >> (8 * channel) & 0xFF);
    }

    static ColorBox around(std::uint32_t color, int tolerance) {
        ColorBox box;
        for (int c = 0; c < 3; ++c) {
            box.low[c] = std::max(0, channelOf(color, c) - tolerance);
            box.high[c] = std::min(255, channelOf(color, c) + tolerance);
        }
        return box;
    }

    bool empty() const { return low[0] > high[0] || low[1] > high[1] || low[2] > high[2]; }

    // The colours in both.
    ColorBox within(const ColorBox& other) const {
        ColorBox box;
        for (int c = 0; c < 3; ++c) {
            box.low[c] = std::max(low[c], other.low[c]);
            box.high[c] = std::min(high[c], other.high[c]);
        }
        return box;
    }

    // The least box that holds both.
    ColorBox including(const ColorBox& other) const {
        ColorBox box;
        for (int c = 0; c < 3; ++c) {
            box.low[c] = std::min(low[c], other.low[c]);
            box.high[c] = std::max(high[c], other.high[c]);
        }
        return box;
    }

    bool holds(std::uint32_t color) const {
        for (int c = 0; c < 3; ++c)
            if (channelOf(color, c) < low[c] || channelOf(color, c) > high[c]) return false;
        return true;
    }

    // The largest channel's extent.
    int widest() const { return std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]}); }

    std::uint32_t middle() const {
        std::uint32_t color = 0;
        for (int c = 0; c < 3; ++c)
            color |= static_cast<std::uint32_t>((low[c] + high[c]) / 2) << (8 * c);
        return color;
    }
};
