#include "tools/capture/picture_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/frame.h"
#include "tools/capture/character_picture.h"

namespace {

constexpr int kCellWidth = kFrameWidth / kCharColumns;
constexpr int kCellHeight = kFrameHeight / kCharRows;

// Below this variance (in luminance squared) the cells count as all alike:
// far under one step of 8-bit light, so only rounding is ignored.
constexpr double kFlatVariance = 1e-9;

}  // namespace

std::vector<double> frameCellLuminance(const std::uint32_t* frameBuffer) {
    std::vector<double> cells(kCharColumns * kCharRows, 0.0);
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            const std::uint32_t p = frameBuffer[y * kFrameStride + x];
            cells[(y / kCellHeight) * kCharColumns + x / kCellWidth] +=
                pixelLuminance(p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF);
        }
    }
    for (double& cell : cells) cell /= kCellWidth * kCellHeight;
    return cells;
}

std::vector<double> characterCellLuminance(const RgbImage& characters) {
    std::vector<double> cells(kCharColumns * kCharRows, 0.0);
    const int cellWidth = characters.width / kCharColumns;
    const int cellHeight = characters.height / kCharRows;
    if (cellWidth <= 0 || cellHeight <= 0) return cells;
    for (int y = 0; y < cellHeight * kCharRows; ++y) {
        for (int x = 0; x < cellWidth * kCharColumns; ++x) {
            const std::uint8_t* c = characters.pixel(x, y);
            cells[(y / cellHeight) * kCharColumns + x / cellWidth] += pixelLuminance(c[0], c[1], c[2]);
        }
    }
    for (double& cell : cells) cell /= cellWidth * cellHeight;
    return cells;
}

double cellCorrelation(const std::vector<double>& frame, const std::vector<double>& characters) {
    const std::size_t n = std::min(frame.size(), characters.size());
    if (n == 0) return std::numeric_limits<double>::quiet_NaN();
    double meanF = 0.0, meanC = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        meanF += frame[i];
        meanC += characters[i];
    }
    meanF /= n;
    meanC /= n;
    double covariance = 0.0, varianceF = 0.0, varianceC = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = frame[i] - meanF;
        const double c = characters[i] - meanC;
        covariance += f * c;
        varianceF += f * f;
        varianceC += c * c;
    }
    if (varianceF / n < kFlatVariance) return std::numeric_limits<double>::quiet_NaN();
    if (varianceC / n < kFlatVariance) return 0.0;
    return covariance / std::sqrt(varianceF * varianceC);
}

double pictureError(const std::uint32_t* frameBuffer, const RgbImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) return std::numeric_limits<double>::quiet_NaN();
    std::vector<int> columns(kFrameWidth);
    for (int x = 0; x < kFrameWidth; ++x) columns[x] = (2 * x + 1) * picture.width / (2 * kFrameWidth);
    std::uint64_t total = 0;
    for (int y = 0; y < kFrameHeight; ++y) {
        const int row = (2 * y + 1) * picture.height / (2 * kFrameHeight);
        for (int x = 0; x < kFrameWidth; ++x) {
            const std::uint32_t p = frameBuffer[y * kFrameStride + x];
            const std::uint8_t* shown = picture.pixel(columns[x], row);
            for (int c = 0; c < 3; ++c)
                total += static_cast<std::uint64_t>(std::abs(static_cast<int>(p >> (8 * c) & 0xFF) - shown[c]));
        }
    }
    return static_cast<double>(total) / (255.0 * 3.0 * kFrameWidth * kFrameHeight);
}

double structureKept(const std::uint32_t* frameBuffer, const RgbImage& characters) {
    return cellCorrelation(frameCellLuminance(frameBuffer), characterCellLuminance(characters));
}
