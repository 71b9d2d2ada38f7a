#include "effects/rauha.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "effects/loudness.h"
#include "effects/progress.h"
#include "effects/ripple_lens.h"
#include "engine/vrl.h"
#include "render/deform_grid.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"

namespace {

constexpr float kBeatEnergy = 0.5f;
constexpr RippleLens kRauhaLens = {0.0004461f, 0.0017f, true};
constexpr unsigned int kWhite = 0x00FFFFFFu;
// The traces plot the lowest 200 spectrum values, wrapping along the frame.
constexpr int kTraceBins = 200;

// Weight the picture keeps under the traces: 255 (traces all but invisible)
// at the start, falling to 0 (pure white traces) at a third of the span.
// Clamped so that a time outside the span or a zero-length span cannot
// produce a weight outside 0..255.
int traceWeight(float progress) {
    return 255 - std::clamp(truncToInt(progress * 3.0f * 255.0f), 0, 255);
}

// Whitens the five pixels of `column` centred on `row`, if the band fits.
void markColumn(unsigned int* frame, int column, std::int64_t row, int weight) {
    if (row < 5 || row > kFrameHeight - 5) return;
    for (std::int64_t y = row - 2; y <= row + 2; ++y) {
        unsigned int& pixel = frame[y * kFrameStride + column];
        pixel = blendColor(pixel, kWhite, weight);
    }
}

}  // namespace

Rauha::Rauha() : grid(std::make_unique<DeformGrid>()), gridTexture(kTexturePixels) {
    grabRandomWindow(gridTexture.data());
}

Rauha::~Rauha() = default;

void Rauha::draw() {
    const int position = vrlGetModulePosition();
    unsigned int* frame = vrlGetFrameBuffer();
    float spectrum[512];
    vrlGetSpectrum(spectrum, 512);
    if (spectrumEnergy() > kBeatEnergy) grabRandomWindow(gridTexture.data());

    fillRippleLens(*grid, time, kRauhaLens);
    grid->drawShaded(gridTexture.data(), frame);
    drawTraces(spectrum, position, frame);
}

void Rauha::drawTraces(const float* spectrum, int position, unsigned int* frame) const {
    const float progress = intervalProgress(*this);
    const int weight = traceWeight(progress);
    const int scroll = position >> 5;  // the traces move one column per 32 ms
    for (int x = 0; x < kFrameWidth; ++x) {
        // Both indices stay in 0..kTraceBins-1 even for a negative song position.
        const std::int64_t ahead = static_cast<std::int64_t>(x) + scroll;
        const std::int64_t behind = static_cast<std::int64_t>(x) - scroll;
        const int lowerIndex = static_cast<int>((ahead % kTraceBins + kTraceBins) % kTraceBins);
        const int upperIndex = static_cast<int>(std::abs(behind) % kTraceBins);
        // In 64 bits: a huge or invalid spectrum value must not overflow the row.
        const std::int64_t lowerRow = 185 - static_cast<std::int64_t>(truncToInt(spectrum[lowerIndex] * 666.0f));
        const std::int64_t upperRow = 15 + static_cast<std::int64_t>(truncToInt(spectrum[upperIndex] * 666.0f));
        markColumn(frame, x, lowerRow, weight);
        markColumn(frame, x, upperRow, weight);
    }
}
