#pragma once
// The song's figures in the statistics: loudness, loudness range, true peak
// and where the song changes, against the moments the picture changes scene.
// They describe the song file, not the captured frames, so every run that
// asks for statistics gets them whole.
#include <string>
#include <vector>

#include "tools/song_analysis/song_novelty.h"

struct SongFigures {
    bool measured = false;
    std::string problem;  // why there are no figures (no song, unreadable)
    double integratedLufs = 0.0;
    double loudnessRangeLu = 0.0;
    double truePeakDbtp = 0.0;
    std::vector<NoveltyPeak> peaks;
    std::vector<BoundaryMatch> boundaries;  // one per scene change
};

// Measures the Ogg Vorbis song at `path`; sceneChangesMs are the starts of
// the schedule's blocks after the first.
SongFigures measureSongFigures(const std::string& path, const std::vector<unsigned long>& sceneChangesMs);

// The figures as a JSON object (no trailing newline), as "figure,value"
// CSV lines and as lines for people.
std::string songJson(const SongFigures& song);
std::string songCsv(const SongFigures& song);
std::string songTable(const SongFigures& song);
