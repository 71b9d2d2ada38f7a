#include "effects/rytina.h"

#include "effects/shake.h"
#include "render/pixel_ops.h"

Rytina::Rytina(float divisor, bool unclamped) : unclamped(unclamped), divisor(divisor) {}

void Rytina::draw() {
    shakeFrame(
        divisor, unclamped, [](int amount) { return static_cast<unsigned int>(amount) * 0x010101u; },
        [](unsigned int pixel, unsigned int grey) { return addSaturate(pixel, grey); });
}
