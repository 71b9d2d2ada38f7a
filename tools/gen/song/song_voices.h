#pragma once
// The synthesiser's voices: one function per instrument kind that renders
// a single note into the track's stereo buffer.
#include <cstdint>
#include <string>

#include "tools/gen/song/song_note.h"
#include "tools/gen/song/song_random.h"

// Adds one note to left and right, which hold frames samples each; the
// part past the end is dropped. noise feeds the drums' noise.
void renderVoice(const std::string& kind, const SongNote& note, SongRandom& noise, float* left, float* right,
                 std::int64_t frames);
