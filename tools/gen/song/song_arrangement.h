#pragma once
// Turns the score's sections and patterns into timed notes and level curves.
#include <string>
#include <vector>

#include "tools/gen/song/song_note.h"
#include "tools/gen/song/song_score.h"

// Every note the instrument plays, in time order, each with the
// instrument's settings as the section's ramps have them at its start.
std::vector<SongNote> arrangeNotes(const SongScore& score, const std::string& instrument);

// A stretch of time over which a track's level moves linearly.
struct SongLevelRamp {
    double startSeconds;
    double endSeconds;
    float from;
    float to;
};

// The instrument's "level" ramps in time order; outside them the
// instrument's own level holds.
std::vector<SongLevelRamp> arrangeLevels(const SongScore& score, const std::string& instrument);
