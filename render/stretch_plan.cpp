#include "render/stretch_plan.h"

#include <algorithm>

#include "render/fixed_point.h"

namespace {

constexpr int kPixelsPerLoad = 4;
constexpr int kBytesPerPixel = 4;

}  // namespace

bool canStretch(int srcWidth, std::int64_t stepX) {
    return srcWidth >= kPixelsPerLoad && stepX > 0 && stepX <= 256;
}

void planStretch(std::int64_t columnStart, std::int64_t stepX, int width, int srcWidth,
                 StretchPlan& plan) {
    plan.groups = std::clamp(width / kPixelsPerLoad, 0, StretchPlan::kMaxGroups);
    std::int64_t accumulator = columnStart;
    for (int group = 0; group < plan.groups; ++group) {
        // A step of at most one texel keeps the four within three pixels of
        // the first; near the source's right edge the load starts earlier
        // so that it ends on the row's last pixel.
        const int first = static_cast<int>(wholeOfFraction8(accumulator));
        const int loadFrom = std::min(first, srcWidth - kPixelsPerLoad);
        plan.first[group] = loadFrom;
        for (int column = 0; column < kPixelsPerLoad; ++column) {
            const int texel = static_cast<int>(wholeOfFraction8(accumulator)) - loadFrom;
            for (int byte = 0; byte < kBytesPerPixel; ++byte)
                plan.lanes[group][column * kBytesPerPixel + byte] =
                    static_cast<std::uint8_t>(texel * kBytesPerPixel + byte);
            accumulator += stepX;
        }
    }
}
