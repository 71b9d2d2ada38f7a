#pragma once
// Groups the timeline into blocks: stretches of song ruled by one scene, the
// effect with the highest priority there. Overlays belong to every block
// they overlap, so a row that starts early (as one accompanying a later
// scene does) shows up in two blocks.
#include <string>
#include <vector>

struct TimelineRow {
    unsigned long start;  // inclusive, ms
    unsigned long end;    // exclusive, ms
    int priority;
    std::string label;
};

struct ScheduleBlock {
    unsigned long start;
    unsigned long end;
    int scene;              // index of the scene's row
    std::vector<int> rows;  // every row active somewhere in the block, in row order
};

// Rows active at `ms` run highest priority first, ties in row order, so the
// scene of a moment is the first of those. Neighbouring moments with the same
// scene form one block. Moments without any row belong to no block.
std::vector<ScheduleBlock> findBlocks(const std::vector<TimelineRow>& rows);

// Index of the block that holds `ms`, or -1.
int blockIndexAt(const std::vector<ScheduleBlock>& blocks, long long ms);
