#pragma once
// The song position in milliseconds, from one of three sources: the sound
// device (what has been heard), a steady clock when there is no device or
// no song, or a position set by hand (tests and the capture tool).
#include <chrono>

#include "engine/song_player.h"

class SongClock {
public:
    enum class Source { Manual, Steady, Audio };

    void useManual() { source_ = Source::Manual; }
    void useSteady() { source_ = Source::Steady; }
    void useAudio(SongPlayer* player) {
        source_ = Source::Audio;
        player_ = player;
    }
    Source source() const { return source_; }

    void start();          // position 0, running
    int now();             // the position at this instant
    void seekTo(int ms);   // clamped at 0
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    void setManual(int ms) { manualMs_ = ms; }

    // Where the steady source reads the time; tests move it by hand.
    using Steady = std::chrono::steady_clock;
    using TimeSource = Steady::time_point (*)();
    void setTimeSource(TimeSource source) { timeSource_ = source; }

private:
    int steadyNow() const;

    Source source_ = Source::Steady;
    SongPlayer* player_ = nullptr;
    bool started_ = false;
    bool paused_ = false;
    int manualMs_ = 0;
    TimeSource timeSource_ = &Steady::now;
    Steady::time_point steadyStart_{};
    int steadyBaseMs_ = 0;  // position at steadyStart_
};
