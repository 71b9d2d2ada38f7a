#pragma once
// The statistics of a run as JSON, CSV and a table for people.
#include <string>
#include <vector>

#include "tools/capture/blocks.h"
#include "tools/capture/stats.h"
#include "tools/capture/stats_song.h"

struct StatsReport {
    std::vector<TimelineRow> rows;
    std::vector<ScheduleBlock> blocks;
    std::vector<BlockStats> stats;
    int frames = 0;
    std::string positions;  // how the positions were chosen, e.g. "0-333000 ms at 60 fps"
    SongFigures song;
};

std::string statsJson(const StatsReport& report);
std::string statsCsv(const StatsReport& report);
std::string statsTable(const StatsReport& report);
