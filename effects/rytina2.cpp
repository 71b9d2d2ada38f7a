#include "effects/rytina2.h"

#include "effects/shake.h"
#include "render/pixel_ops.h"

Rytina2::Rytina2(float divisor, bool unclamped) : unclamped(unclamped), divisor(divisor) {}

void Rytina2::draw() {
    shakeFrame(
        divisor, unclamped,
        [](int amount) {
            // Six ramp steps per unit of shake; taken with wrap-around so that
            // absurd loudness scatters colours instead of overflowing.
            return static_cast<int>(6u * static_cast<unsigned int>(amount));
        },
        [](unsigned int pixel, int level) { return blend3(0x000000u, pixel, 0xFFFFFFu, level); });
}
