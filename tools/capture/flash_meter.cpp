#include "tools/capture/flash_meter.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/frame.h"

namespace {

constexpr int kBlockSize = 20;
constexpr int kBlockColumns = kFrameWidth / kBlockSize;
constexpr int kBlockRows = kFrameHeight / kBlockSize;
constexpr int kBlockCount = kBlockColumns * kBlockRows;
// The blocks that make a quarter of the picture.
constexpr int kQuarterBlocks = (kBlockCount + 3) / 4;

constexpr double kLuminanceSwing = 0.1;
constexpr double kDarkLimit = 0.8;
// "More than 20": the next double above it.
const double kRedSwing = std::nextafter(20.0, 21.0);
constexpr double kRedScale = 320.0;
constexpr double kSaturatedRed = 0.8;

// sRGB to linear light, as the relative luminance is defined on.
std::array<double, 256> makeLinearTable() {
    std::array<double, 256> table{};
    for (int level = 0; level < 256; ++level) {
        const double c = level / 255.0;
        table[level] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return table;
}

const std::array<double, 256>& linearTable() {
    static const std::array<double, 256> table = makeLinearTable();
    return table;
}

void dropOlderThan(std::deque<int>& times, int ms) {
    while (!times.empty() && times.front() <= ms - 1000) times.pop_front();
}

}  // namespace

bool SwingTracker::add(double value, bool marked, double minSwing) {
    const State now{value, marked};
    if (!started_) {
        started_ = true;
        low_ = high_ = extreme_ = start_ = now;
        return false;
    }
    if (direction_ == 0) {
        if (value < low_.value) low_ = now;
        if (value > high_.value) high_ = now;
        if (value - low_.value >= minSwing) {
            direction_ = 1;
            start_ = low_;
        } else if (high_.value - value >= minSwing) {
            direction_ = -1;
            start_ = high_;
        } else {
            return false;
        }
        extreme_ = now;
    } else if ((value - extreme_.value) * direction_ >= 0) {
        extreme_ = now;  // the swing goes on
    } else if (std::fabs(extreme_.value - value) >= minSwing) {
        // A turn: the extreme was a peak or a valley.
        direction_ = -direction_;
        start_ = extreme_;
        extreme_ = now;
        counted_ = false;
    }
    if (counted_ || std::fabs(extreme_.value - start_.value) < minSwing) return false;
    if (!start_.marked && !extreme_.marked) return false;
    counted_ = true;
    return true;
}

FlashMeter::FlashMeter() : blocks_(kBlockCount), light_(kBlockCount), counts_(kBlockCount) {}

FlashCount FlashMeter::add(int ms, const std::uint32_t* frame) {
    const std::array<double, 256>& linear = linearTable();
    std::fill(light_.begin(), light_.end(), std::array<double, 3>{});
    for (int y = 0; y < kBlockRows * kBlockSize; ++y) {
        const std::uint32_t* row = frame + static_cast<std::size_t>(y) * kFrameStride;
        std::array<double, 3>* blockRow = &light_[static_cast<std::size_t>(y / kBlockSize) * kBlockColumns];
        for (int x = 0; x < kBlockColumns * kBlockSize; ++x) {
            std::array<double, 3>& sum = blockRow[x / kBlockSize];
            for (int c = 0; c < 3; ++c) sum[c] += linear[row[x] >> (8 * c) & 0xFF];
        }
    }
    for (int b = 0; b < kBlockCount; ++b) {
        Block& block = blocks_[b];
        const double r = light_[b][0] / (kBlockSize * kBlockSize);
        const double g = light_[b][1] / (kBlockSize * kBlockSize);
        const double bl = light_[b][2] / (kBlockSize * kBlockSize);
        const double luminance = 0.2126 * r + 0.7152 * g + 0.0722 * bl;
        if (block.luminance.add(luminance, luminance < kDarkLimit, kLuminanceSwing))
            block.luminanceTimes.push_back(ms);
        const double sum = r + g + bl;
        const bool saturated = sum > 0.0 && r / sum >= kSaturatedRed;
        if (block.red.add(std::max(0.0, r - g - bl) * kRedScale, saturated, kRedSwing))
            block.redTimes.push_back(ms);
        dropOlderThan(block.luminanceTimes, ms);
        dropOlderThan(block.redTimes, ms);
    }
    return {overQuarter(&Block::luminanceTimes), overQuarter(&Block::redTimes)};
}

// The largest count that at least a quarter of the blocks reach.
int FlashMeter::overQuarter(const std::deque<int> Block::*times) {
    for (int b = 0; b < kBlockCount; ++b) counts_[b] = static_cast<int>((blocks_[b].*times).size());
    std::nth_element(counts_.begin(), counts_.begin() + (kQuarterBlocks - 1), counts_.end(),
                     std::greater<int>());
    return counts_[kQuarterBlocks - 1];
}
