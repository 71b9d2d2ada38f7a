#include "tools/capture/workload_check.h"

#include <algorithm>

#include "tools/capture/image.h"
#include "tools/capture/terminal_picture.h"

namespace {

// Warm-up frames before `target`: positions from target - warmup (not below
// 0) at the frame rate, up to but not including the target.
std::int64_t warmupFrames(std::int64_t target, std::int64_t warmupMs, std::int64_t fps) {
    const std::int64_t span = target - std::max<std::int64_t>(0, target - warmupMs);
    return (span * fps + 999) / 1000;
}

std::string checkFrameCount(const CaptureOptions& o) {
    const std::int64_t frames = framesToRender(o, kMaxFramesPerRun);
    if (frames <= kMaxFramesPerRun) return {};
    const std::string asked =
        o.atMs.empty() ? "--start " + std::to_string(o.startMs) + " --end " +
                             std::to_string(o.endMs) + " --fps " + std::to_string(o.fps)
                       : std::to_string(o.atMs.size()) + " positions at --fps " +
                             std::to_string(o.fps);
    const std::string warmup =
        o.warmupMs > 0 ? " with --warmup " + std::to_string(o.warmupMs) : std::string();
    return asked + warmup + " renders more than " + std::to_string(kMaxFramesPerRun) +
           " frames, the most one run takes (hours of work); split the range or lower "
           "--fps or --warmup";
}

std::string checkPictureSize(const CaptureOptions& o) {
    const PixelSize picture = terminalPictureSize(o);
    if (std::int64_t{picture.width} * picture.height <= kLargestPicturePixels) return {};
    return "--terminal " + std::to_string(o.terminalColumns) + "x" +
           std::to_string(o.terminalRows) + " with --cell-size " + std::to_string(o.cellWidth) +
           "x" + std::to_string(o.cellHeight) + " makes a picture of " +
           std::to_string(picture.width) + " x " + std::to_string(picture.height) +
           " pixels; a capture makes pictures of at most " +
           std::to_string(kLargestPicturePixels) + " (" + std::to_string(kLargestPictureWidth) +
           " x " + std::to_string(kLargestPictureHeight) +
           "): choose a smaller --terminal or --cell-size";
}

}  // namespace

std::int64_t framesToRender(const CaptureOptions& o, std::int64_t limit) {
    const std::int64_t fps = std::max(o.fps, 1);
    std::int64_t total = 0;
    auto add = [&](std::int64_t position) {
        total += 1 + warmupFrames(position, o.warmupMs, fps);
        return total <= limit;
    };
    if (!o.atMs.empty()) {
        for (int position : o.atMs)
            if (!add(position)) break;
        return total;
    }
    // A range: start + i * 1000 / fps for as long as that stays within end.
    const std::int64_t span = static_cast<std::int64_t>(o.endMs) - o.startMs;
    if (span < 0) return 0;
    const std::int64_t count = span * fps / 1000 + 1;
    if (o.warmupMs == 0 || count > limit) return count;
    for (std::int64_t i = 0; i < count; ++i)
        if (!add(o.startMs + i * 1000 / fps)) break;
    return total;
}

PixelSize terminalPictureSize(const CaptureOptions& o) {
    if (!o.terminalPicture()) return {};
    const PixelSize cell{o.cellWidth, o.cellHeight};
    // Fitted as the run fits it: the console is only made, never opened.
    const TerminalPicture picture(*o.displayRow(), o.cells, o.terminalColumns, o.terminalRows, cell);
    return picture.pictureSize(cell);
}

std::string checkWorkload(const CaptureOptions& o) {
    if (std::string error = checkPictureSize(o); !error.empty()) return error;
    return checkFrameCount(o);
}
