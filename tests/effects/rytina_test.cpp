#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "effects/rytina.h"
#include "effects/rytina2.h"
#include "effects/rytina3.h"
#include "effects/shake.h"
#include "engine/random.h"
#include "render/float_to_int.h"
#include "render/pixel_ops.h"
#include "tests/effects/effect_fixture.h"

namespace {

using NORVALE_VIRELLO::Base;

// A frame with every kind of pixel: dark, bright, saturated channels.
void fillVariedFrame() {
    for (int i = 0; i < fixture::kPixels; ++i) fixture::frame()[i] = (i * 2654435761u) & 0x00FFFFFFu;
}

std::unique_ptr<Base> makeShake(int kind, float divisor, bool unclamped) {
    if (kind == 1) return std::make_unique<Rytina>(divisor, unclamped);
    if (kind == 2) return std::make_unique<Rytina2>(divisor, unclamped);
    return std::make_unique<Rytina3>(divisor, unclamped);
}

// Runs one draw of the overlay at `ms` inside the interval [start, end).
std::vector<unsigned int> shakeVaried(Base& effect, int start, int end, int ms) {
    effect.init(start, end);
    fixture::showAt(effect, ms);
    fillVariedFrame();
    resetRandom(99);
    effect.draw();
    return fixture::snapshot();
}

TEST(RytinaFamily, Bin511AloneOrADivisorOfZeroChangesNothing) {
    std::array<float, 512> onlyLast{};
    onlyLast[511] = 1000.0f;
    fillVariedFrame();
    const auto before = fixture::snapshot();
    for (int kind : {1, 2, 3}) {
        fixture::setSpectrumSum(0.0f);
        auto silentEffect = makeShake(kind, 10.0f, false);
        const auto silent = shakeVaried(*silentEffect, 0, 10000, 5000);
        fixture::setSpectrum(onlyLast);
        auto effect = makeShake(kind, 10.0f, false);
        EXPECT_EQ(shakeVaried(*effect, 0, 10000, 5000), silent) << "class " << kind;
        // Divided by zero the loudness is no level at all, in silence or not.
        for (float sum : {0.0f, 30.0f}) {
            fixture::setSpectrumSum(sum);
            auto undivided = makeShake(kind, 0.0f, false);
            EXPECT_EQ(shakeVaried(*undivided, 0, 10000, 5000), before) << "class " << kind << ", sum " << sum;
            EXPECT_EQ(randomState(), fixture::stateAfter(99, fixture::kPixels));
        }
    }
}

TEST(RytinaFamily, EachPixelGetsItsOwnMixOfTheScaledRandomAmount) {
    // Loudness 0.1 (sum 3 over divisor 30): a draw whose low byte is b gives
    // the amount n = trunc(b * 0.1), and each class mixes n in its own way;
    // Rytina3 by its progress, here 0.6 of its interval.
    // Unclamped (any class), n is added as grey carrying between channels.
    fixture::setSpectrumSum(3.0f);
    fillVariedFrame();
    const auto before = fixture::snapshot();
    for (int kind : {1, 2, 3})
        for (bool unclamped : {false, true}) {
            auto effect = makeShake(kind, 30.0f, unclamped);
            const auto after = shakeVaried(*effect, 0, 10000, 6000);
            // One draw per pixel, no more: every later effect depends on it.
            EXPECT_EQ(randomState(), fixture::stateAfter(99, fixture::kPixels)) << kind;
            resetRandom(99);
            for (int i = 0; i < fixture::kPixels; ++i) {
                const int n = truncToInt(static_cast<float>(nextRandom() & 255) * 0.1f);
                const unsigned int expected =
                    unclamped   ? addGreyCarrying(before[i], n)
                    : kind == 1 ? addSaturate(before[i], n * 0x010101u)
                    : kind == 2 ? blend3(0u, before[i], 0xFFFFFFu, 6 * n)
                                : blend3(before[i], before[i], 0u, truncToInt(3.0f * n * 0.6f + 127.0f));
                ASSERT_EQ(after[i], expected)
                    << "class " << kind << (unclamped ? " unclamped" : "") << ", pixel " << i << ", amount " << n;
            }
        }
}

TEST(RytinaFamily, UnclampedAddCarriesIntoTheNextChannel) {
    EXPECT_EQ(addGreyCarrying(0x0000F8u, 10), 0x000A0B02u);
    EXPECT_EQ(addGreyCarrying(0xFFFFFFFFu, 1), 0x00010100u);  // wraps at 32 bits

    // On a bright red frame the clamped overlay keeps red at the top; the
    // unclamped one lets it wrap into green.
    fixture::setSpectrumSum(25.0f);
    for (bool unclamped : {false, true}) {
        Rytina rytina(25.0f, unclamped);
        rytina.init(223000, 243000);
        fixture::showAt(rytina, 230000);
        fixture::fillFrame(0x0000F8u);
        resetRandom(3);
        rytina.draw();
        int wrapped = 0;
        for (int i = 0; i < fixture::kPixels; ++i) wrapped += fixture::channel(fixture::frame()[i], 0) < 0xF8u;
        if (unclamped)
            EXPECT_GT(wrapped, fixture::kPixels / 2);
        else
            EXPECT_EQ(wrapped, 0);
    }
}

}  // namespace
