// The terminal show's sound: SDL2 audio, decoding on the audio thread as
// the device asks for more.
#include "engine/song_player.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

struct SongPlayer::Output {
    static void callback(void* self, Uint8* stream, int length);
    void fill(float* out, int frames);
    std::int64_t estimateHeard() const;

    SongDecoder* decoder_ = nullptr;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 0;
    int bufferFrames_ = 0;
    bool paused_ = true;
    bool subsystemStarted_ = false;
    // Shared with the audio thread; guarded by SDL_LockAudioDevice.
    std::int64_t written_ = 0;         // frames handed to the device
    Uint64 lastCallbackCounter_ = 0;   // when they were handed over
    bool anyCallback_ = false;
    // Main thread only.
    std::int64_t floor_ = 0;  // heard never drops below this
};

SongPlayer::SongPlayer() : output_(std::make_unique<Output>()) {}

SongPlayer::~SongPlayer() { close(); }

bool SongPlayer::isOpen() const { return output_->device_ != 0; }
bool SongPlayer::paused() const { return output_->paused_; }
int SongPlayer::sampleRate() const { return output_->rate_; }

void SongPlayer::releaseSoundSystem() { SDL_Quit(); }

bool SongPlayer::openDevice(SongDecoder* decoder, std::string& error) {
    Output& o = *output_;
    close();
    // Signals belong to the program (quit requests, terminal restore); SDL
    // would otherwise take SIGINT and SIGTERM for an event queue nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    o.subsystemStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = decoder->sampleRate();
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = Output::callback;
    want.userdata = &o;
    SDL_AudioSpec have{};
    o.decoder_ = decoder;
    o.device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (o.device_ == 0) {
        error = SDL_GetError();
        close();
        return false;
    }
    o.rate_ = have.freq;
    o.bufferFrames_ = have.samples;
    return true;
}

void SongPlayer::close() {
    Output& o = *output_;
    if (o.device_) SDL_CloseAudioDevice(o.device_);
    o.device_ = 0;
    if (o.subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    o.subsystemStarted_ = false;
}

void SongPlayer::start() {
    Output& o = *output_;
    if (!o.device_) return;
    o.paused_ = false;
    SDL_PauseAudioDevice(o.device_, 0);
}

void SongPlayer::setPaused(bool paused) {
    Output& o = *output_;
    if (!o.device_ || paused == o.paused_) return;
    // The device plays out what it was handed before it falls silent, so
    // the song resumes after the last frame handed over: seeking back to
    // what had been heard would play the queued frames twice.
    SDL_PauseAudioDevice(o.device_, paused ? 1 : 0);
    SDL_LockAudioDevice(o.device_);
    o.paused_ = paused;
    if (!paused) o.lastCallbackCounter_ = SDL_GetPerformanceCounter();
    SDL_UnlockAudioDevice(o.device_);
}

void SongPlayer::seek(std::int64_t frame) {
    Output& o = *output_;
    if (!o.device_) return;
    frame = std::max<std::int64_t>(frame, 0);
    SDL_LockAudioDevice(o.device_);
    o.decoder_->seek(frame);
    o.written_ = frame;
    o.anyCallback_ = false;
    o.lastCallbackCounter_ = SDL_GetPerformanceCounter();
    SDL_UnlockAudioDevice(o.device_);
    o.floor_ = frame;
}

void SongPlayer::Output::callback(void* self, Uint8* stream, int length) {
    auto* player = static_cast<Output*>(self);
    player->fill(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

void SongPlayer::Output::fill(float* out, int frames) {
    const long got = decoder_->readStereo(out, frames);
    // Past the end the device plays silence and the clock keeps running.
    std::memset(out + 2 * got, 0, sizeof(float) * 2 * (frames - got));
    written_ += frames;
    lastCallbackCounter_ = SDL_GetPerformanceCounter();
    anyCallback_ = true;
}

std::int64_t SongPlayer::Output::estimateHeard() const {
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
    Output& o = *output_;
    if (!o.device_) return 0;
    SDL_LockAudioDevice(o.device_);
    const std::int64_t estimate = o.estimateHeard();
    SDL_UnlockAudioDevice(o.device_);
    o.floor_ = std::max(o.floor_, estimate);
    return o.floor_;
}
