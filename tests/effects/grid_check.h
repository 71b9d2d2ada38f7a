#pragma once
// Checking a deformation grid point by point against the values a scene's
// formulas give, so that a failure names the point and what differs.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/vector.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"

namespace fixture {

struct ExpectedPoint {
    int texY, texX, level;
};

// Texture coordinates only count in their low 8 bits; one texel of slack
// (across the wrap too) and one level step allow for a different but
// equally valid rounding of the same formula.
inline bool closeTexel(int actual, int expected) {
    const int difference = std::abs((actual - expected) & 255);
    return difference <= 1 || difference >= 255;
}

inline bool compareEveryPoint(int, int) { return false; }

// The first point of `grid` that differs from `expected(c, r)`, described,
// or "" when all agree. `skip(c, r)` leaves out points whose value is not
// defined closely enough to compare.
template <typename Expected, typename Skip = bool (*)(int, int)>
std::string gridMismatch(const DeformGrid& grid, Expected expected, Skip skip = compareEveryPoint) {
    for (int r = 0; r < DeformGrid::kRows; ++r)
        for (int c = 0; c < DeformGrid::kColumns; ++c) {
            if (skip(c, r)) continue;
            const GridPoint& got = grid.points[r * DeformGrid::kColumns + c];
            const ExpectedPoint want = expected(c, r);
            if (closeTexel(got.texY, want.texY) && closeTexel(got.texX, want.texX) &&
                std::abs(got.level - want.level) <= 1)
                continue;
            std::ostringstream text;
            text << "point (" << c << ", " << r << "): texY " << got.texY << " texX " << got.texX
                 << " level " << got.level << ", expected " << want.texY << " " << want.texX << " "
                 << want.level;
            return text.str();
        }
    return "";
}

// The rippling lens of Rauha and Avaruus2 at point (column, row), time t:
// the screen position turned by turnPerMs * t, magnified by rings that
// travel with phasePerMs * t, scrolled 0.1 texel per ms along the rows;
// shaded by the magnification, or at full level 255.
inline ExpectedPoint rippleLensPoint(float t, float turnPerMs, float phasePerMs, bool shaded, int column,
                                     int row) {
    NORVALE_VIRELLO::Matrix turn;
    turn.makeRotation(0.0f, 0.0f, t * turnPerMs);
    const float reference = NORVALE_VIRELLO::Vector3(41 * 0.5f, 26 * 0.5f, 0.0f).length();
    const NORVALE_VIRELLO::Vector3 screen((column - 41 * 0.5f) / 41, (row - 26 * 0.5f) / 26, 0.0f);
    const NORVALE_VIRELLO::Vector3 turned = screen * turn;
    const float distance = turned.length() / reference;
    const float ripple = std::sin((1.0f - 17.0f * distance) * 2.0f * 3.141592f + t * phasePerMs);
    const float magnification = (ripple * 0.45f + 0.55f) * 18.5f + 10.0f;
    return {truncToInt(t * 0.1f) + truncToInt(20.0f * magnification * turned.x),
            truncToInt(20.0f * magnification * turned.y),
            shaded ? std::min(255, truncToInt(5.0f * magnification + 10.0f * distance)) : 255};
}

}  // namespace fixture
