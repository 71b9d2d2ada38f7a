#pragma once
// The synthesiser's voices: one function per instrument kind that renders
// a single note into the track's stereo buffer.
#include <cstdint>
#include <string>

#include "tools/gen/song_random.h"
#include "tools/gen/song_score.h"

struct SongNote {
    double startSeconds = 0.0;
    double gateSeconds = 0.0;  // how long the note is held; tails ring on after it
    int note = -1;             // MIDI note; -1 for drums
    float velocity = 1.0f;
    SongParams params;         // the instrument's settings at the note's start
};

// Every setting of a kind with its default (the mix settings level, pan,
// reverb, delay and duck included); null for an unknown kind.
const SongParams* voiceDefaults(const std::string& kind);

// Whether the kind plays the notes of its steps (drums ignore them).
bool voiceIsPitched(const std::string& kind);

// Adds one note to left and right, which hold frames samples each; the
// part past the end is dropped. noise feeds the drums' noise.
void renderVoice(const std::string& kind, const SongNote& note, SongRandom& noise, float* left, float* right,
                 std::int64_t frames);
