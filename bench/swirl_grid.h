#pragma once
// The grid the shading benchmarks draw: a swirl like the distortion effects
// make, every point moved and levels over the whole ramp (255 included), so
// both shading branches are taken.

#include <cmath>

#include "render/deform_grid.h"

inline DeformGrid swirlGrid() {
    DeformGrid grid;
    for (int r = 0; r < DeformGrid::kRows; ++r) {
        for (int c = 0; c < DeformGrid::kColumns; ++c) {
            const float angle = 0.15f * static_cast<float>(r) + 0.1f * static_cast<float>(c);
            grid.points[r * DeformGrid::kColumns + c] = {
                static_cast<int>(r * 8 + 20 * std::sin(angle)),
                static_cast<int>(c * 8 + 20 * std::cos(angle)),
                static_cast<int>(127.5f + 127.5f * std::sin(angle * 1.7f))};
        }
    }
    return grid;
}
