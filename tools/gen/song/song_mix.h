#pragma once
// Renders the whole score into one stereo mix: every track through its
// level, pan and sidechain ducking, the shared delay and reverb, and the
// master's low cut and final fade. Loudness and limiting come after.
#include <functional>
#include <string>
#include <vector>

#include "tools/gen/song/song_score.h"
#include "tools/song_analysis/song_audio.h"

// progress receives a short line for each finished step.
SongAudio mixSong(const SongScore& score, const std::function<void(const std::string&)>& progress);
