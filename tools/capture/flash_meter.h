#pragma once
// Flashes counted as the photosensitivity guidelines count them, frame by
// frame. A transition is a swing between a peak and a valley of relative
// luminance of at least 0.1 where the darker side is below 0.8 (general),
// or a swing of more than 20 in (R - G - B) x 320 of linear light where
// either side is a saturated red, R / (R + G + B) of at least 0.8 (red). A
// flash is two opposing transitions; more than three flashes in any one
// second, over at least a quarter of the picture, fails.
//
// The picture is watched as blocks of 20 x 20 pixels, each taken at its
// mean linear light: as the eye sees it from a viewing distance, so fine
// noise and small dither, which average out there, do not count as flashes.
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

// More transitions than this in a second (three flashes) fail.
constexpr int kMostTransitionsPerSecond = 6;

// The transitions in the second that ends with a frame, over a quarter of
// the picture: the most that at least a quarter of the blocks each made.
struct FlashCount {
    int general = 0;
    int red = 0;
    bool fails() const {
        return general > kMostTransitionsPerSecond || red > kMostTransitionsPerSecond;
    }
};

// Peaks and valleys of one signal, and the swings between them that count.
class SwingTracker {
public:
    // `marked`: whether this state may make a swing count (darker than the
    // limit, or a saturated red). A swing counts once it is at least
    // `minSwing` and either end is marked. True when this value makes the
    // current swing count.
    bool add(double value, bool marked, double minSwing);

private:
    struct State {
        double value = 0.0;
        bool marked = false;
    };
    bool started_ = false;
    int direction_ = 0;  // +1 rising, -1 falling, 0 before the first swing
    State start_;        // where the current swing began (the last turn)
    State extreme_;      // how far it has gone
    State low_, high_;   // before the first swing: the range so far
    bool counted_ = false;
};

class FlashMeter {
public:
    FlashMeter();

    // The frame at `ms`, 320 x 200 pixels in the frame layout; frames come
    // in time order. Returns the count of the second ending with it.
    FlashCount add(int ms, const std::uint32_t* frame);

private:
    struct Block {
        SwingTracker luminance;
        SwingTracker red;
        std::deque<int> luminanceTimes;  // of the counted transitions in the last second
        std::deque<int> redTimes;
    };
    int overQuarter(const std::deque<int> Block::*times);

    std::vector<Block> blocks_;
    std::vector<std::array<double, 3>> light_;  // each block's mean linear R, G, B
    std::vector<int> counts_;                   // scratch for overQuarter
};
