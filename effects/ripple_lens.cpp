#include "effects/ripple_lens.h"

#include <algorithm>
#include <cmath>

#include "effects/wrap_int.h"
#include "engine/vector.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"

using NORVALE_VIRELLO::Matrix;
using NORVALE_VIRELLO::Vector3;

void fillRippleLens(DeformGrid& grid, float t, const RippleLens& lens) {
    Matrix rotation;
    rotation.makeRotation(0.0f, 0.0f, t * lens.turnPerMs);

    const float columns = static_cast<float>(grid.columns);
    const float rows = static_cast<float>(grid.rows);
    const float referenceLength = Vector3(columns * 0.5f, rows * 0.5f, 0.0f).length();
    const float phase = t * lens.phasePerMs;
    const int scroll = truncToInt(t * 0.1f);

    for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
            const Vector3 screen((static_cast<float>(c) - columns * 0.5f) / columns,
                                 (static_cast<float>(r) - rows * 0.5f) / rows, 0.0f);
            const Vector3 turned = screen * rotation;
            const float distance = turned.length() / referenceLength;
            const float ripple =
                std::sin((1.0f - 17.0f * distance) * 2.0f * 3.141592f + phase);
            const float magnification = (ripple * 0.45f + 0.55f) * 18.5f + 10.0f;

            GridPoint& point = grid.points[r * grid.columns + c];
            point.texY = wrapAdd(scroll, truncToInt(20.0f * magnification * turned.x));
            point.texX = truncToInt(20.0f * magnification * turned.y);
            point.level = lens.shadeByRipple
                              ? std::clamp(truncToInt(5.0f * magnification + 10.0f * distance), 0, 255)
                              : 255;
        }
    }
}
