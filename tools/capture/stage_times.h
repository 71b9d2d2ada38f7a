#pragma once
// Where a capture run spends its time, stage by stage, for --verbose.
#include <array>
#include <chrono>
#include <string>

enum class Stage {
    ShowFrame,   // the effects drawing one frame (vrlRun and its clear)
    Dither,      // FrameBuffer to characters
    Drawing,     // characters to pixels
    Conversion,  // pixel layouts and resizing for the outputs
    Writing,     // files, and frames handed to the encoder (waits for it included)
    EncoderEnd,  // waiting for the encoder to finish after the last frame
};
constexpr int kStageCount = 6;

class StageTimes {
public:
    void add(Stage stage, std::chrono::steady_clock::duration spent) {
        spent_[static_cast<int>(stage)] += spent;
    }
    void addAll(const StageTimes& other);
    double seconds(Stage stage) const;
    // One line: per stage the total seconds and the milliseconds per frame.
    std::string summary(long frames) const;

private:
    std::array<std::chrono::steady_clock::duration, kStageCount> spent_{};
};

// Adds the time from its making to its end to one stage.
class StageTimer {
public:
    StageTimer(StageTimes& times, Stage stage)
        : times_(times), stage_(stage), begin_(std::chrono::steady_clock::now()) {}
    ~StageTimer() { times_.add(stage_, std::chrono::steady_clock::now() - begin_); }
    StageTimer(const StageTimer&) = delete;
    StageTimer& operator=(const StageTimer&) = delete;

private:
    StageTimes& times_;
    Stage stage_;
    std::chrono::steady_clock::time_point begin_;
};
