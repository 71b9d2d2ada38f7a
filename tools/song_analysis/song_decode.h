#pragma once
// Ogg Vorbis decoding of the song: the samples the show's engine will hear.
#include <string>
#include <vector>

#include "tools/song_analysis/song_audio.h"

bool decodeOgg(const std::vector<unsigned char>& bytes, DecodedSong& song, std::string& error);
bool decodeOggFile(const std::string& path, DecodedSong& song, std::string& error);
