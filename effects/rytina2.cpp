#include "effects/rytina2.h"

#include "effects/shake.h"
#include "render/pixel_ops.h"

Rytina2::Rytina2(float divisor, bool unclamped) : unclamped(unclamped), divisor(divisor) {}

void Rytina2::draw() {
    shakeFrame(divisor, unclamped, [](unsigned int pixel, int amount) {
        // Six ramp steps per unit of shake; taken with wrap-around so that
        // absurd loudness scatters colours instead of overflowing.
        const int level = static_cast<int>(6u * static_cast<unsigned int>(amount));
        return blend3(0x000000u, pixel, 0xFFFFFFu, level);
    });
}
