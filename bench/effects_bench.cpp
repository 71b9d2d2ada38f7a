// Cost of one frame of each effect: a full draw into the
// 320 x 200 frame with a fixed spectrum, the song advancing 33 ms per frame
// through the effect's own span. The quiet spectrum (energy 0.4) is below
// every beat threshold but above Alku's window refresh, so Alku pays for a
// refresh every frame; the "Beats" cases and Goddess get a beat on every
// frame. Kuvatus is measured where its asteroids show (from 61001 ms).
// The "Loud" overlays get levels spread over their whole colour ramp, as in
// the show's loudest moments.
// Overlays draw over a busy frame, not over black. Each case reports the
// median and the 99th percentile of the frames' CPU times in microseconds
// ("median_us", "p99_us").
//
// The show's generated content is used when it has been built (pictures and
// asteroid meshes); otherwise the pictures are the engine's placeholders and
// the meshes a stand-in sphere of 1280 faces, about the size of an asteroid.
//
// Adding an effect is one line in kCases.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effects/alku.h"
#include "effects/avaruus.h"
#include "effects/avaruus2.h"
#include "effects/credits.h"
#include "effects/distort.h"
#include "effects/goddess.h"
#include "effects/hypnogreen.h"
#include "effects/kuvatus.h"
#include "effects/kuvatus2.h"
#include "effects/noise.h"
#include "effects/rauha.h"
#include "effects/rytina.h"
#include "effects/rytina2.h"
#include "effects/rytina3.h"
#include "effects/tunnel.h"
#include "effects/valo.h"
#include "effects/zoom.h"
#include "engine/frame.h"
#include "engine/vrl.h"
#include "tests/support/build_paths.h"

namespace fs = std::filesystem;
using NORVALE_VIRELLO::Base;

namespace {

constexpr int kFrameMs = 33;
constexpr int kFrames = 600;  // about 20 s of song at 33 ms a frame

constexpr float kQuiet = 2.0f;  // energy 0.4: no beat anywhere, Alku refreshes its window
constexpr float kLoud = 5.0f;   // energy 1.0: a beat on every frame, the worst case

struct EffectCase {
    const char* name;
    int from;  // first song position drawn; frames run on to `end`, then start over
    int start;  // the schedule interval the effect is drawn in
    int end;
    float spectrumSum;
    Base* (*create)();
    bool openingBeat = false;  // one loud frame first (Zoom's sprites shrink on a beat)
};

const EffectCase kCases[] = {
    {"Alku", 0, 0, 49000, kQuiet, []() -> Base* { return new Alku(); }},
    {"Noise", 0, 0, 49000, kQuiet, []() -> Base* { return new Noise(35); }},
    {"Rytina", 0, 0, 49000, kQuiet, []() -> Base* { return new Rytina(8.0f, false); }},
    {"RytinaUnclamped", 223000, 223000, 243000, kQuiet, []() -> Base* { return new Rytina(25.0f, true); }},
    {"Kuvatus", 61001, 49000, 81500, kQuiet, []() -> Base* { return new Kuvatus(); }},
    {"KuvatusBeats", 61001, 49000, 81500, kLoud, []() -> Base* { return new Kuvatus(); }},
    {"Rytina2", 49000, 49000, 81500, kQuiet, []() -> Base* { return new Rytina2(30.0f, false); }},
    {"Rytina2Loud", 49000, 49000, 81500, kLoud, []() -> Base* { return new Rytina2(30.0f, false); }},
    {"Kuvatus2", 81500, 81500, 100000, kQuiet, []() -> Base* { return new Kuvatus2(); }},
    {"Distort", 100000, 100000, 122000, kQuiet, []() -> Base* { return new Distort(); }},
    {"DistortBeats", 100000, 100000, 122000, kLoud, []() -> Base* { return new Distort(); }},
    {"Goddess", 100000, 100000, 122000, kLoud, []() -> Base* { return new Goddess(); }},
    {"Rytina3", 162000, 162000, 193000, kQuiet, []() -> Base* { return new Rytina3(20.0f, false); }},
    {"Rytina3Loud", 162000, 162000, 193000, kLoud, []() -> Base* { return new Rytina3(20.0f, false); }},
    {"Rauha", 122000, 122000, 150000, kQuiet, []() -> Base* { return new Rauha(); }},
    {"Avaruus2", 150000, 150000, 162000, kQuiet, []() -> Base* { return new Avaruus2(); }},
    {"Tunnel", 162000, 162000, 193000, kQuiet, []() -> Base* { return new Tunnel(); }},
    {"Zoom", 193000, 193000, 223000, kQuiet, []() -> Base* { return new Zoom(); }},
    {"ZoomAfterBeat", 193000, 193000, 223000, kQuiet, []() -> Base* { return new Zoom(); }, true},
    {"Hypnogreen", 193000, 193000, 223000, kQuiet, []() -> Base* { return new Hypnogreen(); }},
    {"Avaruus", 223000, 223000, 243000, kQuiet, []() -> Base* { return new Avaruus(); }},
    {"Valo", 243000, 243000, 273200, kQuiet, []() -> Base* { return new Valo(); }},
    {"ValoRay", 273200, 273200, 303000, kQuiet, []() -> Base* { return new Valo(); }},
    {"Credits", 303000, 303000, 333000, kQuiet, []() -> Base* { return new Credits(); }},
};

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

void prepareEngine() {
    const fs::path content = build_paths::showDir();
    if (fs::exists(content / "asteroid1.obj") && fs::exists(content / "resources")) {
        fs::current_path(content);
        vrlMakePAK("resources/", "datafile.pak");
        vrlReadPak("datafile.pak");
    } else {
        const fs::path directory =
            fs::temp_directory_path() / ("vg-effects-bench-" + std::to_string(getpid()));
        fs::create_directories(directory);
        fs::current_path(directory);
        const std::string mesh = standInAsteroid();
        for (const char* name : {"asteroid1.obj", "asteroid2.obj", "asteroid3.obj"})
            std::ofstream(name) << mesh;
    }
    vrlHoldMessages(1);  // the placeholder notices would flood the report
    vrlUseManualClock(1);
    vrlInitSound();
    vrlInitFrameBuffer(kFrameWidth, kFrameHeight);
}

// The same loudness spread over bins 0..510, as a song would.
void injectLoudness(float sum) {
    std::array<float, 512> bins{};
    for (int i = 0; i < 511; ++i) bins[i] = sum / 511.0f;
    vrlInjectSpectrum(bins.data());
}

// The machine is shared with other jobs: the thread's own CPU time keeps
// their load out of the per-frame figures (wall time is Google Benchmark's).
double threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Something like a scene for the overlays to work on.
void fillBusyFrame(unsigned int* frame) {
    for (int i = 0; i < kFramePixels; ++i) frame[i] = (static_cast<unsigned int>(i) * 2654435761u) & 0x00FFFFFFu;
}

void drawEffect(benchmark::State& state, const EffectCase& effectCase) {
    std::unique_ptr<Base> effect(effectCase.create());
    effect->init(effectCase.start, effectCase.end);
    unsigned int* frame = vrlGetFrameBuffer();
    if (effectCase.openingBeat) {
        injectLoudness(kLoud);
        vrlSetPosition(effectCase.from);
        effect->update(static_cast<float>(effectCase.from));
        effect->draw();
    }
    injectLoudness(effectCase.spectrumSum);
    std::vector<double> frameMicros;
    int position = effectCase.from;
    for (auto _ : state) {
        state.PauseTiming();
        fillBusyFrame(frame);
        vrlSetPosition(position);
        effect->update(static_cast<float>(position));
        state.ResumeTiming();
        const double before = threadCpuMicros();
        effect->draw();
        frameMicros.push_back(threadCpuMicros() - before);
        benchmark::ClobberMemory();
        position += kFrameMs;
        if (position >= effectCase.end) position = effectCase.from;
    }
    std::sort(frameMicros.begin(), frameMicros.end());
    state.counters["median_us"] = frameMicros[frameMicros.size() / 2];
    state.counters["p99_us"] = frameMicros[frameMicros.size() * 99 / 100];
}

const bool kRegistered = [] {
    prepareEngine();
    for (const EffectCase& effectCase : kCases)
        benchmark::RegisterBenchmark(effectCase.name, drawEffect, effectCase)
            ->Iterations(kFrames)
            ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
