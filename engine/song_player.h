#pragma once
// Plays the song on the platform's sound output, decoding as the output
// asks for more, and tells how far playback has been heard. The terminal
// show plays through SDL2 audio (engine/song_player.cpp); the web page
// through the browser's Web Audio (platform/web/web_song_player.cpp). Both
// decode with the same SongDecoder, so the song and its spectrum are the
// same everywhere.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/song_decoder.h"

class SongPlayer {
public:
    SongPlayer();
    ~SongPlayer();
    SongPlayer(const SongPlayer&) = delete;
    SongPlayer& operator=(const SongPlayer&) = delete;

    // Opens the default output for the decoder's rate. False (with a reason)
    // when there is no usable output.
    bool openDevice(SongDecoder* decoder, std::string& error);
    bool isOpen() const;
    void close();

    void start();
    void setPaused(bool paused);
    bool paused() const;
    void seek(std::int64_t frame);

    // Frames heard so far: what the output has played, corrected for its
    // buffering. Never goes backwards except after a seek.
    std::int64_t heardFrames();
    int sampleRate() const;

    // Releases whatever the platform's sound system kept after the last
    // player closed; the engine calls it at shutdown.
    static void releaseSoundSystem();

private:
    // The platform's device and what it shares with its audio thread.
    struct Output;
    std::unique_ptr<Output> output_;
};
