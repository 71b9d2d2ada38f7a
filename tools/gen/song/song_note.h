#pragma once
// One note as a voice renders it: when, how long, which pitch, how hard,
// and the instrument's settings at its start.
#include "tools/gen/song/song_defaults.h"

struct SongNote {
    double startSeconds = 0.0;
    double gateSeconds = 0.0;  // how long the note is held; tails ring on after it
    int note = -1;             // MIDI note; -1 for drums
    float velocity = 1.0f;
    SongParams params;         // the instrument's settings at the note's start
};
