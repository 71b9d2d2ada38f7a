#pragma once
// What the picture benchmarks share: short runs of consecutive show frames
// (60 a second) from every part of the show, rendered once for every case of
// a program; the whole show frame by frame; and the nearest-rank percentile
// of a case's per-frame figures.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/frame.h"
#include "render/pixel_view.h"
#include "tests/support/build_paths.h"
#include "tools/capture/show_session.h"

// The generated content's folder becomes the working folder; false without it.
inline bool enterShowDir() {
    const std::string show = build_paths::showDir();
    return std::filesystem::exists(show + "/resources") && chdir(show.c_str()) == 0;
}

// Null when there is no generated content.
inline const std::vector<std::vector<std::uint32_t>>* showFrames() {
    constexpr int kRunStarts[] = {20000, 60000, 90000, 110000, 135000, 155000,
                                  175000, 205000, 230000, 260000, 290000, 320000};
    constexpr int kFramesPerRun = 15;
    static std::optional<std::vector<std::vector<std::uint32_t>>> frames;
    if (frames) return &*frames;
    if (!enterShowDir()) return nullptr;
    frames.emplace();
    ShowSession session;
    for (int start : kRunStarts) {
        for (int i = 0; i < kFramesPerRun; ++i) {
            session.renderFrame(start + i * 1000 / 60);
            frames->emplace_back(session.frameBuffer(), session.frameBuffer() + kFramePixels);
        }
    }
    return &*frames;
}

inline PixelView frameView(const std::vector<std::uint32_t>& frame) {
    return {frame.data(), kFrameWidth, kFrameHeight, kFrameBytesPerRow};
}

// Every frame of the whole show at `fps` from a fresh start, each handed
// to `sizeOf(ms, frame)`; what it returns for each, in order.
template <typename SizeOf>
std::vector<double> wholeShowSizes(int fps, SizeOf sizeOf) {
    std::vector<double> sizes;
    ShowSession session;
    for (long long i = 0; i * 1000 / fps <= kShowEndMs; ++i) {
        const int ms = static_cast<int>(i * 1000 / fps);
        session.renderFrame(ms);
        sizes.push_back(static_cast<double>(sizeOf(ms, frameBufferView())));
    }
    return sizes;
}

inline double percentileOf(std::vector<double> values, int percent) {
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * percent / 100)];
}
