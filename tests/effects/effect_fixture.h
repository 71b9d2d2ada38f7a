#pragma once
// What every effect test needs: an engine on the manual clock with a
// 320 x 200 frame, a resources archive of small pictures made by the tests
// themselves, stand-in asteroid meshes in the working directory, and a way
// to set the song position and the loudness of the current frame.
//
// The archive and the meshes are made once per test program (textures are
// cached by name for the whole run), so every picture a test relies on is
// listed in kFixturePictures in effect_fixture.cpp.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <vector>

#include "engine/base.h"
#include "engine/vector.h"

namespace fixture {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kPixels = kWidth * kHeight;

unsigned int* frame();
void fillFrame(unsigned int pixel);
std::vector<unsigned int> snapshot();

// The spectrum of the next draws: all loudness in bin 0, so spectrumSum()
// returns `sum` exactly.
void setSpectrumSum(float sum);
void setSpectrum(const std::array<float, 512>& bins);

// Song position `ms` for both the engine clock and the effect's `time`;
// drawAt also draws the frame.
void showAt(NORVALE_VIRELLO::Base& effect, int ms);
void drawAt(NORVALE_VIRELLO::Base& effect, int ms);

// Every coordinate of a point within `tolerance` of the expected one.
template <typename Point>
::testing::AssertionResult near(const Point& actual, const Point& expected, double tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
                                         << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

// A mesh turned as makeRotation(x, y, z) would turn it.
void expectTurnedBy(const NORVALE_VIRELLO::Matrix& actual, float x, float y, float z, double tolerance = 1e-5);

// The generator's state after `draws` draws from `seed`; the generator
// itself is left as it was, so this may stand beside randomState() in one
// expression.
std::uint32_t stateAfter(std::uint32_t seed, int draws);

// A test of one effect over [start, end), silent until the test sets a
// spectrum.
template <typename Effect, int start, int end>
class EffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        effect.init(start, end);
        setSpectrumSum(0.0f);
    }
    void drawAt(int ms) { fixture::drawAt(effect, ms); }
    Effect effect;
};

// Rectangle of pixels that differ from `background` (or from the other
// frame's); empty when none do.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Box&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Box& b) {
        return out << b.width() << " x " << b.height() << " at (" << b.left << ", " << b.top << ")";
    }
};
inline Box boxAt(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
Box changedBox(const unsigned int* pixels, unsigned int background = 0u);
Box differenceBox(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b);
int countDifferent(const unsigned int* pixels, unsigned int background = 0u);

// One channel (0 red, 1 green, 2 blue) of a pixel.
inline unsigned int channel(unsigned int pixel, int which) { return (pixel >> (8 * which)) & 0xFFu; }

}  // namespace fixture
