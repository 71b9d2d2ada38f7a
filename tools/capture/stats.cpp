#include "tools/capture/stats.h"

#include <algorithm>
#include <cmath>

#include "tools/capture/picture_figures.h"

namespace {

CostSummary summarizeCost(std::vector<double> values) {
    const double median = percentile(values, 50);
    return {median, percentile(std::move(values), 99)};
}

CostSummary summarizeCost(const std::vector<FrameMeasure>& frames, double FrameMeasure::*field) {
    std::vector<double> values;
    values.reserve(frames.size());
    for (const FrameMeasure& m : frames) values.push_back(m.*field);
    return summarizeCost(std::move(values));
}

// The whole frame as a viewer waits for it: effects and dither of the same
// frame together (the slow frames of one need not be those of the other).
CostSummary summarizeWholeFrame(const std::vector<FrameMeasure>& frames) {
    std::vector<double> values;
    values.reserve(frames.size());
    for (const FrameMeasure& m : frames) values.push_back(m.effectsMicros + m.ditherMicros);
    return summarizeCost(std::move(values));
}

void summarizePicture(const std::vector<FrameMeasure>& frames, BlockStats& stats) {
    int black = 0;
    double structureSum = 0.0;
    for (const FrameMeasure& m : frames) {
        black += isBlackFrame(m.frameLuminance);
        if (std::isnan(m.structure)) continue;
        structureSum += m.structure;
        ++stats.structureFrames;
    }
    stats.blackShare = static_cast<double>(black) / static_cast<double>(frames.size());
    if (stats.structureFrames > 0) stats.structure = structureSum / stats.structureFrames;
}

void summarizeBytes(const std::vector<FrameMeasure>& frames, BlockStats& stats) {
    std::vector<double> bytes;
    double errorSum = 0.0;
    int errorFrames = 0;
    for (const FrameMeasure& m : frames) {
        if (m.terminalBytes >= 0) bytes.push_back(static_cast<double>(m.terminalBytes));
        if (std::isnan(m.pictureError)) continue;
        errorSum += m.pictureError;
        ++errorFrames;
    }
    stats.bytesFrames = static_cast<int>(bytes.size());
    stats.bytes = summarizeCost(std::move(bytes));
    if (errorFrames > 0) stats.pictureError = errorSum / errorFrames;
}

FlashSummary summarizeFlashes(const std::vector<FrameMeasure>& frames) {
    FlashSummary summary;
    for (const FrameMeasure& m : frames) {
        if (m.flashes.general > summary.mostGeneral) {
            summary.mostGeneral = m.flashes.general;
            summary.mostGeneralMs = m.ms;
        }
        if (m.flashes.red > summary.mostRed) {
            summary.mostRed = m.flashes.red;
            summary.mostRedMs = m.ms;
        }
        if (!m.flashes.fails()) continue;
        // Frames come in time order, so a new second is a later one.
        const int second = m.ms / 1000;
        if (summary.failingSeconds.empty() || summary.failingSeconds.back() != second)
            summary.failingSeconds.push_back(second);
    }
    return summary;
}

BlockStats summarizeBlock(int block, const std::vector<FrameMeasure>& frames) {
    BlockStats stats;
    stats.block = block;
    stats.frames = static_cast<int>(frames.size());
    for (const FrameMeasure& m : frames) {
        stats.frameLuminance += m.frameLuminance;
        stats.characterLuminance += m.characterLuminance;
        for (std::size_t t = 0; t < kBeatThresholds.size(); ++t)
            if (m.energy > kBeatThresholds[t]) ++stats.beats[t];
    }
    stats.frameLuminance /= stats.frames;
    stats.characterLuminance /= stats.frames;
    stats.effects = summarizeCost(frames, &FrameMeasure::effectsMicros);
    stats.dither = summarizeCost(frames, &FrameMeasure::ditherMicros);
    stats.wholeFrame = summarizeWholeFrame(frames);
    summarizePicture(frames, stats);
    summarizeBytes(frames, stats);
    stats.flashes = summarizeFlashes(frames);
    return stats;
}

}  // namespace

double percentile(std::vector<double> values, int percent) {
    if (values.empty()) return 0.0;
    percent = std::clamp(percent, 1, 100);
    const std::size_t n = values.size();
    const std::size_t rank = (static_cast<std::size_t>(percent) * n + 99) / 100;  // ceil
    std::nth_element(values.begin(), values.begin() + (rank - 1), values.end());
    return values[rank - 1];
}

StatsCollector::StatsCollector(int blockCount) : frames_(std::max(blockCount, 0) + 1) {}

void StatsCollector::add(int block, const FrameMeasure& measure) {
    const int outside = static_cast<int>(frames_.size()) - 1;
    frames_[block >= 0 && block < outside ? block : outside].push_back(measure);
}

std::vector<BlockStats> StatsCollector::summarize() const {
    std::vector<BlockStats> result;
    const int outside = static_cast<int>(frames_.size()) - 1;
    for (int i = 0; i <= outside; ++i)
        if (!frames_[i].empty())
            result.push_back(summarizeBlock(i == outside ? -1 : i, frames_[i]));
    return result;
}
