#pragma once
// Loudness of the song as a broadcast meter reads it (integrated loudness,
// loudness range and true peak), measured with libebur128.
#include <string>

#include "tools/song_analysis/song_audio.h"

struct SongLoudness {
    double integratedLufs = 0.0;
    double loudnessRangeLu = 0.0;  // spread of the 3 s loudness, quiet passages to loud ones
    double truePeakDbtp = 0.0;   // only when asked for
    double samplePeak = 0.0;     // largest absolute sample
    long clippedSamples = 0;     // samples that would hit full scale as 16-bit
};

// withTruePeak: also measure the true peak (slower: it oversamples).
bool measureLoudness(const SongAudio& audio, bool withTruePeak, SongLoudness& loudness, std::string& error);
bool measureLoudness(const DecodedSong& song, bool withTruePeak, SongLoudness& loudness, std::string& error);
