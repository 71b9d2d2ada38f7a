#include "effects/rytina3.h"

#include "effects/progress.h"
#include "effects/shake.h"
#include "render/pixel_ops.h"

Rytina3::Rytina3(float divisor, bool unclamped) : unclamped(unclamped), divisor(divisor) {}

void Rytina3::draw() {
    const float progress = intervalProgress(*this);
    shakeFrame(
        divisor, unclamped,
        [progress](int amount) {
            // 3n is formed wide: a huge amount must not overflow before it
            // becomes a float.
            const float darkening = static_cast<float>(3LL * amount) * progress;
            return truncToInt(darkening + 127.0f);
        },
        [](unsigned int pixel, int level) { return blend3(pixel, pixel, 0x000000u, level); });
}
