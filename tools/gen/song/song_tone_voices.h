#pragma once
// The pitched voices: resonant bass, detuned-saw pad, lead, pluck and an FM
// bell.
// Each adds one note into the track's left and right buffers.
#include <cstdint>

#include "tools/gen/song/song_note.h"
#include "tools/gen/song/song_random.h"

void bassVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void padVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void leadVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void pluckVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
void bellVoice(const SongNote& note, SongRandom& noise, float* left, float* right, std::int64_t frames);
