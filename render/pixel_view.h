#pragma once
// A picture of packed pixels in the frame layout (red in bits 0-7, green in
// 8-15, blue in 16-23) that a display reads but does not own: its size and
// the distance from one row to the next in bytes, as a bitmap's pitch is
// given. The pitch must be a multiple of 4, the pixels' size.
#include <cstddef>
#include <cstdint>

struct PixelView {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes from the start of one row to the next

    const std::uint32_t* row(int y) const {
        return pixels + static_cast<std::ptrdiff_t>(y) * (pitch / static_cast<int>(sizeof(std::uint32_t)));
    }
    std::uint32_t at(int x, int y) const { return row(y)[x]; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};
