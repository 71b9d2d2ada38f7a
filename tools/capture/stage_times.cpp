#include "tools/capture/stage_times.h"

#include <cstdio>

namespace {

const char* const kStageNames[kStageCount] = {"show frame", "dither",  "drawing",
                                              "conversion", "writing", "encoder end"};

}  // namespace

void StageTimes::addAll(const StageTimes& other) {
    for (int i = 0; i < kStageCount; ++i) spent_[i] += other.spent_[i];
}

double StageTimes::seconds(Stage stage) const {
    return std::chrono::duration<double>(spent_[static_cast<int>(stage)]).count();
}

std::string StageTimes::summary(long frames) const {
    std::string line = "stages:";
    for (int i = 0; i < kStageCount; ++i) {
        const double total = seconds(static_cast<Stage>(i));
        char part[96];
        std::snprintf(part, sizeof part, "%s %s %.2f s (%.3f ms/frame)", i == 0 ? "" : ",",
                      kStageNames[i], total, frames > 0 ? total * 1000.0 / frames : 0.0);
        line += part;
    }
    return line;
}
