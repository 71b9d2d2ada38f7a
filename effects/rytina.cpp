#include "effects/rytina.h"

#include "effects/shake.h"
#include "render/pixel_ops.h"

Rytina::Rytina(float divisor, bool unclamped) : unclamped(unclamped), divisor(divisor) {}

void Rytina::draw() {
    shakeFrame(divisor, unclamped, [](unsigned int pixel, int amount) {
        return addSaturate(pixel, static_cast<unsigned int>(amount) * 0x010101u);
    });
}
