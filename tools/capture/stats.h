#pragma once
// Per-block statistics of a capture run: brightness, beats and cost.
#include <array>
#include <limits>
#include <vector>

// The beat thresholds the effects compare the loudness with.
constexpr std::array<float, 5> kBeatThresholds = {0.3f, 0.5f, 0.65f, 0.75f, 0.95f};

struct FrameMeasure {
    double frameLuminance = 0.0;      // FrameBuffer, 0..255
    double characterLuminance = 0.0;  // rendered character picture, 0..255
    float energy = 0.0f;              // the effects' loudness of this frame
    double effectsMicros = 0.0;       // the show's frame, in the thread's processor time
    double ditherMicros = 0.0;        // FrameBuffer to characters, likewise
    // Picture figures: the correlation of frame and characters per cell,
    // NaN for a flat frame (see picture_figures.h).
    double structure = std::numeric_limits<double>::quiet_NaN();
};

struct CostSummary {
    double median = 0.0;
    double p99 = 0.0;
};

struct BlockStats {
    int block = -1;  // index into the blocks; -1 gathers frames outside every block
    int frames = 0;
    double frameLuminance = 0.0;  // means over the block's frames
    double characterLuminance = 0.0;
    std::array<int, kBeatThresholds.size()> beats{};  // frames with energy strictly above
    CostSummary effects;
    CostSummary dither;
    CostSummary wholeFrame;  // effects + dither, frame by frame
    // Picture figures: the share of black frames (0..1), and the mean
    // structure kept over the frames that had structure (NaN if none had).
    double blackShare = 0.0;
    double structure = std::numeric_limits<double>::quiet_NaN();
    int structureFrames = 0;
};

// Nearest-rank percentile (1..100): the smallest value that at least
// `percent` percent of the values do not exceed. 0 for no values.
double percentile(std::vector<double> values, int percent);

class StatsCollector {
public:
    explicit StatsCollector(int blockCount);
    // block: index into the blocks, or -1 for a frame outside every block.
    void add(int block, const FrameMeasure& measure);
    // Blocks that saw frames, in block order, then the frames outside any.
    std::vector<BlockStats> summarize() const;

private:
    std::vector<std::vector<FrameMeasure>> frames_;  // last slot: outside
};
