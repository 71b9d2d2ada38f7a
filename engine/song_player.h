#pragma once
// Plays the song through SDL2 audio, decoding on the audio thread as the
// device asks for more, and tells how far playback has been heard.
#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/song_decoder.h"

class SongPlayer {
public:
    SongPlayer() = default;
    ~SongPlayer();
    SongPlayer(const SongPlayer&) = delete;
    SongPlayer& operator=(const SongPlayer&) = delete;

    // Opens the default device for the decoder's rate. False (with a reason)
    // when there is no usable device.
    bool openDevice(SongDecoder* decoder, std::string& error);
    bool isOpen() const { return device_ != 0; }
    void close();

    void start();
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    void seek(std::int64_t frame);

    // Frames heard so far: what the device has played, corrected for its
    // buffer and interpolated between callbacks. Never goes backwards
    // except after a seek.
    std::int64_t heardFrames();
    int sampleRate() const { return rate_; }

private:
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
