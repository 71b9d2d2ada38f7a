// Cost of one frame of each second-half effect: a full draw into the
// 320 x 200 frame with a fixed spectrum (loud enough to move the traces and
// flares, below every beat threshold), the song advancing 33 ms per frame
// through the effect's own span. Each case reports the median and the 99th
// percentile of the frame times in microseconds ("median_us", "p99_us").
//
// The show's generated content is used when it has been built (pictures and
// asteroid meshes); otherwise the pictures are the engine's placeholders and
// the meshes a stand-in sphere of 1280 faces, about the size of an asteroid.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "effects/avaruus.h"
#include "effects/avaruus2.h"
#include "effects/credits.h"
#include "effects/hypnogreen.h"
#include "effects/rauha.h"
#include "effects/tunnel.h"
#include "effects/valo.h"
#include "effects/zoom.h"
#include "engine/vrl.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrameMs = 33;

// A UV sphere of radius 1: 32 segments around, 20 rings, 1280 triangles.
std::string standInAsteroid() {
    constexpr int kSegments = 32;
    constexpr int kRings = 20;
    std::ostringstream obj;
    for (int ring = 0; ring <= kRings; ++ring)
        for (int segment = 0; segment <= kSegments; ++segment) {
            const double theta = M_PI * ring / kRings;
            const double phi = 2 * M_PI * segment / kSegments;
            const double x = std::sin(theta) * std::cos(phi), y = std::cos(theta),
                         z = std::sin(theta) * std::sin(phi);
            obj << "v " << x << ' ' << y << ' ' << z << "\nvn " << x << ' ' << y << ' ' << z
                << "\nvt " << double(segment) / kSegments << ' ' << double(ring) / kRings << '\n';
        }
    for (int ring = 0; ring < kRings; ++ring)
        for (int segment = 0; segment < kSegments; ++segment) {
            const int a = ring * (kSegments + 1) + segment + 1, b = a + 1;
            const int c = a + kSegments + 1, d = c + 1;
            obj << "f " << a << ' ' << c << ' ' << b << "\nf " << b << ' ' << c << ' ' << d << '\n';
        }
    return obj.str();
}

void prepareEngineOnce() {
    static bool ready = false;
    if (ready) return;
    ready = true;
    const fs::path content = VG_SHOW_DIR;
    if (fs::exists(content / "asteroid2.obj") && fs::exists(content / "resources")) {
        fs::current_path(content);
        vrlMakePAK("resources/", "datafile.pak");
        vrlReadPak("datafile.pak");
    } else {
        const fs::path directory = fs::temp_directory_path() / ("vg-effects2-bench-" + std::to_string(getpid()));
        fs::create_directories(directory);
        fs::current_path(directory);
        const std::string mesh = standInAsteroid();
        for (const char* name : {"asteroid1.obj", "asteroid2.obj", "asteroid3.obj"})
            std::ofstream(name) << mesh;
    }
    vrlHoldMessages(1);  // the placeholder notices would flood the report
    vrlUseManualClock(1);
    vrlInitSound();
    vrlInitFrameBuffer(320, 200);
}

void setLoudness(float energy) {
    std::array<float, 512> bins{};
    for (int i = 0; i < 511; ++i) bins[i] = energy * 5.0f / 511.0f;
    vrlInjectSpectrum(bins.data());
}

// `openingBeat`: the first frame is a loud beat, as the show's scenes soon
// get; Zoom's sprites only shrink to their working sizes on a beat.
template <typename Effect>
void runEffect(benchmark::State& state, int start, int end, bool openingBeat = false) {
    prepareEngineOnce();
    auto effect = std::make_unique<Effect>();
    effect->init(start, end);
    if (openingBeat) {
        setLoudness(1.0f);
        vrlSetPosition(start);
        effect->update(static_cast<float>(start));
        effect->draw();
    }
    setLoudness(0.4f);
    std::vector<double> frameMicros;
    int position = start;
    for (auto _ : state) {
        vrlSetPosition(position);
        effect->update(static_cast<float>(position));
        const auto before = std::chrono::steady_clock::now();
        effect->draw();
        const auto after = std::chrono::steady_clock::now();
        frameMicros.push_back(std::chrono::duration<double, std::micro>(after - before).count());
        benchmark::ClobberMemory();
        position += kFrameMs;
        if (position >= end) position = start;
    }
    std::sort(frameMicros.begin(), frameMicros.end());
    state.counters["median_us"] = frameMicros[frameMicros.size() / 2];
    state.counters["p99_us"] = frameMicros[frameMicros.size() * 99 / 100];
}

void BM_Rauha(benchmark::State& state) { runEffect<Rauha>(state, 122000, 150000); }
void BM_Avaruus2(benchmark::State& state) { runEffect<Avaruus2>(state, 150000, 162000); }
void BM_Tunnel(benchmark::State& state) { runEffect<Tunnel>(state, 162000, 193000); }
void BM_Zoom(benchmark::State& state) { runEffect<Zoom>(state, 193000, 223000); }
void BM_ZoomAfterBeat(benchmark::State& state) { runEffect<Zoom>(state, 193000, 223000, true); }
void BM_Hypnogreen(benchmark::State& state) { runEffect<Hypnogreen>(state, 193000, 223000); }
void BM_Avaruus(benchmark::State& state) { runEffect<Avaruus>(state, 223000, 243000); }
void BM_Valo(benchmark::State& state) { runEffect<Valo>(state, 243000, 273200); }
void BM_ValoRay(benchmark::State& state) { runEffect<Valo>(state, 273200, 303000); }
void BM_Credits(benchmark::State& state) { runEffect<Credits>(state, 303000, 333000); }

// Enough frames to sweep most of each span (and its mesh) at 33 ms a frame.
BENCHMARK(BM_Rauha)->Iterations(900);
BENCHMARK(BM_Avaruus2)->Iterations(360);
BENCHMARK(BM_Tunnel)->Iterations(900);
BENCHMARK(BM_Zoom)->Iterations(900);
BENCHMARK(BM_ZoomAfterBeat)->Iterations(900);
BENCHMARK(BM_Hypnogreen)->Iterations(900);
BENCHMARK(BM_Avaruus)->Iterations(600);
BENCHMARK(BM_Valo)->Iterations(900);
BENCHMARK(BM_ValoRay)->Iterations(900);
BENCHMARK(BM_Credits)->Iterations(900);

}  // namespace
