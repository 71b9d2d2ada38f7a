#pragma once
// Comparing two whole frames: where do they differ?
#include <algorithm>
#include <vector>

#include "tests/effects/effect_fixture.h"

namespace fixture {

// Bounding box of the pixels in which `a` and `b` differ.
inline Box differenceBox(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b) {
    Box box{kWidth, kHeight, 0, 0};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (a[y * kWidth + x] == b[y * kWidth + x]) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    return box;
}

inline int countDifferences(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) count += a[i] != b[i];
    return count;
}

// One channel (0 red, 1 green, 2 blue) of a pixel.
inline int channel(unsigned int pixel, int which) { return (pixel >> (8 * which)) & 0xFF; }

}  // namespace fixture
