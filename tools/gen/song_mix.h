#pragma once
// Renders the whole score into one stereo mix: every track through its
// level, pan and sidechain ducking, the shared delay and reverb, and the
// master's low cut and final fade. Loudness and limiting come after.
#include <functional>
#include <string>
#include <vector>

#include "tools/gen/song_score.h"

struct SongAudio {
    std::vector<float> left;
    std::vector<float> right;
    long frames() const { return static_cast<long>(left.size()); }
};

// Settings and defaults of the score's "sidechain", "reverb", "delay" and
// "master" lines.
SongParams sidechainDefaults();
SongParams reverbDefaults();
SongParams delayDefaults();
SongParams masterDefaults();

// progress receives a short line for each finished step.
SongAudio mixSong(const SongScore& score, const std::function<void(const std::string&)>& progress);
