// The show's own costs, apart from its effects:
// - StartUp: everything from packing the archive to the first drawn frame
//   (manual clock, so no sound device; content generation excluded), with
//   the process's peak resident memory after it ("peak_rss_MB").
// - FrameLoop: one frame of the loop with no effects registered: latch the
//   clock, clear the frame, run the timeline, dither to 80 x 50 characters.
// - WholeFrame: the same with the whole schedule registered, walking
//   through the show, for the total the viewer waits per frame.
// - ToolkitShare: the two costliest full-frame toolkit operations, blur4
//   and drawShaded (SSE2 and plain twin), timed in turn with the bare frame
//   loop in the same run, as a share of that loop's median ("*_share").
// Frame costs are reported as the median and 99th percentile of individually
// timed frames ("median_us", "p99_us").
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "bench/swirl_grid.h"
#include "driver/schedule.h"
#include "driver/show_loading.h"
#include "engine/frame.h"
#include "engine/random.h"
#include "engine/vrl.h"
#include "platform/caca_console.h"
#include "render/deform_grid.h"
#include "render/pixel_ops.h"
#include "render/plain_twins.h"
#include "tests/support/build_paths.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Console {
    caca_canvas_t* canvas = caca_create_canvas(80, 50);
    caca_dither_t* bitmap = caca_create_bitmap(32, kFrameWidth, kFrameHeight, kFrameBytesPerRow, 0xFF, 0xFF00, 0xFF0000, 0);
    ~Console() {
        caca_free_bitmap(bitmap);
        caca_free_canvas(canvas);
    }
};

void registerNothing() {}

void startEngine(bool withSchedule) {
    vrlShutDown();
    resetRandom();
    ShowLoading loading;
    loading.manualClock = true;
    loading.logging = false;
    if (!withSchedule) loading.registerEffects = registerNothing;
    loadShow(loading);
    startShow(0);
}

double drawFrame(Console& console, int ms) {
    const auto begin = Clock::now();
    renderShowFrameAt(ms);
    caca_dither_bitmap(console.canvas, 0, 0, 80, 50, console.bitmap, vrlGetFrameBuffer());
    return std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
}

void reportPercentiles(benchmark::State& state, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    state.counters["median_us"] = times[times.size() / 2];
    state.counters["p99_us"] = times[times.size() * 99 / 100];
}

bool enterShowDir() {
    const std::string show = build_paths::showDir();
    return std::filesystem::exists(show + "/resources") && chdir(show.c_str()) == 0;
}

void StartUp(benchmark::State& state) {
    if (!enterShowDir()) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    for (auto _ : state) {
        Console console;
        startEngine(true);
        drawFrame(console, 0);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    vrlShutDown();
}
BENCHMARK(StartUp)->Unit(benchmark::kMillisecond)->Iterations(5);

// Frames from position 0 on, `stepMs` apart (wrapping at the show's end).
void timeFrames(benchmark::State& state, bool withSchedule, int stepMs) {
    if (withSchedule && !enterShowDir()) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    enterShowDir();
    startEngine(withSchedule);
    Console console;
    std::vector<double> times;
    int ms = 0;
    for (auto _ : state) {
        times.push_back(drawFrame(console, ms));
        ms = (ms + stepMs) % kShowEndMs;
    }
    reportPercentiles(state, times);
    vrlShutDown();
}

void FrameLoop(benchmark::State& state) { timeFrames(state, false, 17); }
BENCHMARK(FrameLoop)->Unit(benchmark::kMicrosecond)->Iterations(3000);

// The whole show at about 30 frames a second.
void WholeFrame(benchmark::State& state) { timeFrames(state, true, 33); }
BENCHMARK(WholeFrame)->Unit(benchmark::kMicrosecond)->Iterations(kShowEndMs / 33);

std::vector<unsigned int> noisePixels(int count, unsigned int seed) {
    std::mt19937 generator(seed);
    std::vector<unsigned int> pixels(count);
    for (unsigned int& pixel : pixels) pixel = generator() & 0x00FFFFFFu;
    return pixels;
}

template <typename Work>
double timeOnce(Work work) {
    const auto begin = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void ToolkitShare(benchmark::State& state) {
    enterShowDir();
    startEngine(false);
    Console console;
    const DeformGrid grid = swirlGrid();
    const std::vector<unsigned int> texture = noisePixels(256 * 256, 7);
    std::vector<unsigned int> target = noisePixels(320 * 200, 5);
    std::vector<double> loop, blur, plainBlur, shaded;
    int ms = 0;
    for (auto _ : state) {
        loop.push_back(drawFrame(console, ms));
        ms = (ms + 17) % kShowEndMs;
        blur.push_back(timeOnce([&] { blur4(320, 200, target.data()); }));
        plainBlur.push_back(timeOnce([&] { plain::blur4(320, 200, target.data()); }));
        shaded.push_back(timeOnce([&] { grid.drawShaded(texture.data(), target.data()); }));
        benchmark::DoNotOptimize(target.data());
    }
    const double bare = median(loop);
    state.counters["loop_median_us"] = bare;
    state.counters["blur4_us"] = median(blur);
    state.counters["blur4_share"] = median(blur) / bare;
    state.counters["blur4_plain_share"] = median(plainBlur) / bare;
    state.counters["drawShaded_us"] = median(shaded);
    state.counters["drawShaded_share"] = median(shaded) / bare;
    vrlShutDown();
}
BENCHMARK(ToolkitShare)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
