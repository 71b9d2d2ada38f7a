#pragma once
// Per-block statistics of a capture run: brightness, beats and cost.
#include <array>
#include <limits>
#include <vector>

#include "tools/capture/flash_meter.h"

// The beat thresholds the effects compare the loudness with.
constexpr std::array<float, 5> kBeatThresholds = {0.3f, 0.5f, 0.65f, 0.75f, 0.95f};

struct FrameMeasure {
    int ms = 0;                       // the frame's position in the song
    double frameLuminance = 0.0;      // FrameBuffer, 0..255
    double characterLuminance = 0.0;  // rendered character picture, 0..255
    float energy = 0.0f;              // the effects' loudness of this frame
    double effectsMicros = 0.0;       // the show's frame, in the thread's processor time
    double ditherMicros = 0.0;        // FrameBuffer to characters, likewise
    // Picture figures: the correlation of frame and characters per cell,
    // NaN for a flat frame (see picture_figures.h).
    double structure = std::numeric_limits<double>::quiet_NaN();
    // What the frame sent the terminal (truecolor, kitty, sixel); -1 for a
    // display without one.
    long long terminalBytes = -1;
    // The picture against the frame (see picture_figures.h); NaN where the
    // picture is not drawn whole.
    double pictureError = std::numeric_limits<double>::quiet_NaN();
    FlashCount flashes;  // of the second that ends with this frame
};

struct CostSummary {
    double median = 0.0;
    double p99 = 0.0;
};

// The flashes of a block's frames: the whole seconds of the song in which a
// second ending at one of its frames failed, in order, and the worst second
// of each kind (the most transitions, the earliest frame that ends such a
// second).
struct FlashSummary {
    std::vector<int> failingSeconds;
    int mostGeneral = 0;
    int mostGeneralMs = -1;
    int mostRed = 0;
    int mostRedMs = -1;
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
    // Bytes a frame sent the terminal, over the frames that sent any
    // (bytesFrames 0: a display without a terminal).
    CostSummary bytes;
    int bytesFrames = 0;
    double pictureError = std::numeric_limits<double>::quiet_NaN();  // mean over frames
    FlashSummary flashes;
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
