#include "engine/song_player.h"

#include <algorithm>
#include <cstring>

SongPlayer::~SongPlayer() { close(); }

bool SongPlayer::openDevice(SongDecoder* decoder, std::string& error) {
    close();
    // Signals belong to the program (quit requests, terminal restore); SDL
    // would otherwise take SIGINT and SIGTERM for an event queue nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    subsystemStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = decoder->sampleRate();
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    decoder_ = decoder;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        error = SDL_GetError();
        close();
        return false;
    }
    rate_ = have.freq;
    bufferFrames_ = have.samples;
    return true;
}

void SongPlayer::close() {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemStarted_ = false;
}

void SongPlayer::start() {
    if (!device_) return;
    paused_ = false;
    SDL_PauseAudioDevice(device_, 0);
}

void SongPlayer::setPaused(bool paused) {
    if (!device_ || paused == paused_) return;
    // The device plays out what it was handed before it falls silent, so
    // the song resumes after the last frame handed over: seeking back to
    // what had been heard would play the queued frames twice.
    SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    SDL_LockAudioDevice(device_);
    paused_ = paused;
    if (!paused) lastCallbackCounter_ = SDL_GetPerformanceCounter();
    SDL_UnlockAudioDevice(device_);
}

void SongPlayer::seek(std::int64_t frame) {
    if (!device_) return;
    frame = std::max<std::int64_t>(frame, 0);
    SDL_LockAudioDevice(device_);
    decoder_->seek(frame);
    written_ = frame;
    anyCallback_ = false;
    lastCallbackCounter_ = SDL_GetPerformanceCounter();
    SDL_UnlockAudioDevice(device_);
    floor_ = frame;
}

void SongPlayer::callback(void* self, Uint8* stream, int length) {
    auto* player = static_cast<SongPlayer*>(self);
    player->fill(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

void SongPlayer::fill(float* out, int frames) {
    const long got = decoder_->readStereo(out, frames);
    // Past the end the device plays silence and the clock keeps running.
    std::memset(out + 2 * got, 0, sizeof(float) * 2 * (frames - got));
    written_ += frames;
    lastCallbackCounter_ = SDL_GetPerformanceCounter();
    anyCallback_ = true;
}

std::int64_t SongPlayer::estimateHeard() const {
    if (!anyCallback_) return written_;
    // At a callback the device still holds about one buffer ahead of the
    // one just written; playback then advances in real time. Playing, it
    // keeps at least a buffer queued; paused, it drains what it holds.
    const std::int64_t atCallback = written_ - 2 * static_cast<std::int64_t>(bufferFrames_);
    const std::int64_t limit = paused_ ? written_ : written_ - bufferFrames_;
    const double seconds = static_cast<double>(SDL_GetPerformanceCounter() - lastCallbackCounter_) /
                           static_cast<double>(SDL_GetPerformanceFrequency());
    const auto advanced = static_cast<std::int64_t>(seconds * rate_);
    return std::min(atCallback + advanced, limit);
}

std::int64_t SongPlayer::heardFrames() {
    if (!device_) return 0;
    SDL_LockAudioDevice(device_);
    const std::int64_t estimate = estimateHeard();
    SDL_UnlockAudioDevice(device_);
    floor_ = std::max(floor_, estimate);
    return floor_;
}
