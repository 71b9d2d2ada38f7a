#pragma once
// Ogg Vorbis encoding of the song, deterministic: a fixed stream serial
// number and nothing taken from the clock. Decoding, which the capture tool
// shares, is tools/song_analysis/song_decode.h.
#include <string>
#include <vector>

#include "tools/song_analysis/song_audio.h"

// Encodes at the given VBR quality (-0.1 .. 1) into bytes.
bool encodeOgg(const SongAudio& audio, float quality, std::vector<unsigned char>& bytes, std::string& error);
