#include "tools/capture/blocks.h"

#include <algorithm>
#include <set>

namespace {

bool isActive(const TimelineRow& row, unsigned long ms) { return row.start <= ms && ms < row.end; }

int sceneAt(const std::vector<TimelineRow>& rows, unsigned long ms) {
    int scene = -1;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (!isActive(rows[i], ms)) continue;
        if (scene < 0 || rows[i].priority > rows[scene].priority) scene = i;
    }
    return scene;
}

// The active set only changes at a row's start or end.
std::vector<unsigned long> changePoints(const std::vector<TimelineRow>& rows) {
    std::set<unsigned long> points;
    for (const TimelineRow& row : rows) {
        if (row.start >= row.end) continue;  // never active
        points.insert(row.start);
        points.insert(row.end);
    }
    return {points.begin(), points.end()};
}

std::vector<int> rowsOverlapping(const std::vector<TimelineRow>& rows, unsigned long start,
                                 unsigned long end) {
    std::vector<int> found;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (rows[i].start < end && start < rows[i].end) found.push_back(i);
    return found;
}

}  // namespace

std::vector<ScheduleBlock> findBlocks(const std::vector<TimelineRow>& rows) {
    std::vector<ScheduleBlock> blocks;
    const std::vector<unsigned long> points = changePoints(rows);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const int scene = sceneAt(rows, points[i]);
        if (scene < 0) continue;
        if (!blocks.empty() && blocks.back().scene == scene && blocks.back().end == points[i])
            blocks.back().end = points[i + 1];
        else
            blocks.push_back({points[i], points[i + 1], scene, {}});
    }
    for (ScheduleBlock& block : blocks) block.rows = rowsOverlapping(rows, block.start, block.end);
    return blocks;
}

int blockIndexAt(const std::vector<ScheduleBlock>& blocks, long long ms) {
    for (int i = 0; i < static_cast<int>(blocks.size()); ++i)
        if (static_cast<long long>(blocks[i].start) <= ms &&
            ms < static_cast<long long>(blocks[i].end))
            return i;
    return -1;
}
