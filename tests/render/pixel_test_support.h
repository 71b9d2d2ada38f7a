#pragma once
// What the pixel-operation tests share: the frame they draw into, a value
// no test draws (so an untouched pixel is told from a drawn one), and
// pixels put together and taken apart by channel.

#include "engine/frame.h"

namespace pixel_test {

constexpr int kWidth = kFrameWidth;
constexpr int kHeight = kFrameHeight;
constexpr int kPixels = kFramePixels;
constexpr unsigned int kUntouched = 0xA5C3E1F7u;

inline unsigned int channel(unsigned int pixel, int index) { return (pixel >> (8 * index)) & 0xFFu; }

inline unsigned int pixelOf(unsigned int red, unsigned int green, unsigned int blue) {
    return red | green << 8 | blue << 16;
}

}  // namespace pixel_test
