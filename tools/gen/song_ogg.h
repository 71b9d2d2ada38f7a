#pragma once
// Ogg Vorbis in and out for the song: encoding is deterministic (a fixed
// stream serial number, nothing taken from the clock), and decoding gives
// the samples the show's engine will hear.
#include <string>
#include <vector>

#include "tools/gen/song_mix.h"

// Encodes at the given VBR quality (-0.1 .. 1) into bytes.
bool encodeOgg(const SongAudio& audio, float quality, std::vector<unsigned char>& bytes, std::string& error);

struct DecodedSong {
    int rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved, frames * channels
    long frames() const { return channels ? static_cast<long>(samples.size()) / channels : 0; }
};

bool decodeOgg(const std::vector<unsigned char>& bytes, DecodedSong& song, std::string& error);
bool decodeOggFile(const std::string& path, DecodedSong& song, std::string& error);
