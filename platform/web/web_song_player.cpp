// The page's sound output. Until the page plays the song through Web Audio
// it has none: opening says so, and the engine runs the show on its steady
// clock, as it does on a machine without a sound device.
#include "engine/song_player.h"

struct SongPlayer::Output {
    bool paused = true;
};

SongPlayer::SongPlayer() : output_(std::make_unique<Output>()) {}

SongPlayer::~SongPlayer() { close(); }

bool SongPlayer::openDevice(SongDecoder*, std::string& error) {
    error = "the page has no sound output";
    return false;
}

bool SongPlayer::isOpen() const { return false; }
void SongPlayer::close() {}
void SongPlayer::start() {}
void SongPlayer::setPaused(bool paused) { output_->paused = paused; }
bool SongPlayer::paused() const { return output_->paused; }
void SongPlayer::seek(std::int64_t) {}
std::int64_t SongPlayer::heardFrames() { return 0; }
int SongPlayer::sampleRate() const { return 0; }
void SongPlayer::releaseSoundSystem() {}
