#include "engine/song_clock.h"

#include <algorithm>
#include <climits>

void SongClock::start() {
    started_ = true;
    paused_ = false;
    steadyStart_ = timeSource_();
    steadyBaseMs_ = 0;
    if (source_ == Source::Audio) player_->start();
}

int SongClock::steadyNow() const {
    if (!started_) return steadyBaseMs_;
    if (paused_) return steadyBaseMs_;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(timeSource_() - steadyStart_).count();
    return static_cast<int>(std::min<long long>(steadyBaseMs_ + elapsed, INT_MAX));
}

int SongClock::now() {
    switch (source_) {
        case Source::Manual: return manualMs_;
        case Source::Steady: return steadyNow();
        case Source::Audio: {
            if (!started_) return 0;
            const long long ms = player_->heardFrames() * 1000 / player_->sampleRate();
            return static_cast<int>(std::min<long long>(ms, INT_MAX));
        }
    }
    return 0;
}

void SongClock::seekTo(int ms) {
    ms = std::max(ms, 0);
    switch (source_) {
        case Source::Manual: manualMs_ = ms; break;
        case Source::Steady:
            steadyBaseMs_ = ms;
            steadyStart_ = timeSource_();
            break;
        case Source::Audio:
            // The first frame at or after `ms`: the position, counted back
            // from frames, then reads `ms` itself, not the millisecond before.
            player_->seek((static_cast<std::int64_t>(ms) * player_->sampleRate() + 999) / 1000);
            break;
    }
}

void SongClock::setPaused(bool paused) {
    if (paused == paused_ || source_ == Source::Manual) return;
    if (source_ == Source::Steady) {
        steadyBaseMs_ = steadyNow();
        steadyStart_ = timeSource_();
    } else {
        player_->setPaused(paused);
    }
    paused_ = paused;
}
