#pragma once
// The drum voices: a pitch-swept sine kick, noise-and-tone snare, a clap of
// noise bursts, filtered-noise hats and a noise riser.
// Each adds one note into the track's left and right buffers.
#include <cstdint>

#include "tools/gen/song/song_note.h"
#include "tools/gen/song/song_random.h"

void kickVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void snareVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void clapVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void hatVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void riserVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
