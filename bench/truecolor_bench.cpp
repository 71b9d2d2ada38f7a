// The truecolor picture's costs, against the classic libcaca dither in the
// same run:
// - Cells/<shape>/<columns>/<rows>: converter and diff encoder for one frame,
//   over short runs of consecutive show frames (60 a second) from every
//   part of the show; "bytes_median" is what a frame sends. Shapes: 0 half
//   blocks, 1 quadrants, 2 sextants.
// - Convert/...: the converter alone.
// - CacaDither: libcaca's 80 x 50 dither of the same frames.
// - ShowBytes/<columns>/<rows>/<tolerance>: every frame of the whole show at
//   60 frames a second in a terminal of that size, the bytes each frame
//   sends ("bytes_median", "bytes_p99"), the mean rate in kB a second and
//   the picture's size in cells, with the encoder's colour tolerance: 0
//   sends every change, 4 is the show's.
// The other cases encode with the show's tolerance.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/show_frames.h"
#include "driver/schedule.h"
#include "engine/frame.h"
#include "platform/caca_console.h"
#include "platform/cell_encoder.h"
#include "render/cell_converter.h"
#include "render/cell_fit.h"
#include "tools/capture/show_session.h"

namespace {

constexpr int kPixels = kFramePixels;

void Cells(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    const auto shape = static_cast<CellShape>(state.range(0));
    const int columns = static_cast<int>(state.range(1));
    const int rows = static_cast<int>(state.range(2));
    CellConverter converter(shape, columns, rows);
    CellEncoder encoder(kShowColorTolerance);
    std::string_view bytes;
    std::vector<double> sizes;
    std::size_t next = 0;
    for (auto _ : state) {
        bytes = encoder.encodeFrame(converter.convert((*frames)[next].data()), 0, 0, "time = 100000");
        benchmark::DoNotOptimize(bytes.data());
        sizes.push_back(static_cast<double>(bytes.size()));
        next = (next + 1) % frames->size();
    }
    state.counters["bytes_median"] = percentileOf(sizes, 50);
}
BENCHMARK(Cells)
    ->ArgNames({"shape", "columns", "rows"})
    ->Args({static_cast<int>(CellShape::HalfBlock), 80, 50})
    ->Args({static_cast<int>(CellShape::HalfBlock), 200, 60})
    ->Args({static_cast<int>(CellShape::Quadrant), 80, 50})
    ->Args({static_cast<int>(CellShape::Quadrant), 200, 60})
    ->Args({static_cast<int>(CellShape::Sextant), 80, 50})
    ->Args({static_cast<int>(CellShape::Sextant), 200, 60})
    ->Unit(benchmark::kMicrosecond);

// The converter alone, for the share of the encoder in the above.
void Convert(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    CellConverter converter(static_cast<CellShape>(state.range(0)), static_cast<int>(state.range(1)),
                            static_cast<int>(state.range(2)));
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(converter.convert((*frames)[next].data()).cells.data());
        next = (next + 1) % frames->size();
    }
}
BENCHMARK(Convert)
    ->ArgNames({"shape", "columns", "rows"})
    ->Args({static_cast<int>(CellShape::HalfBlock), 80, 50})
    ->Args({static_cast<int>(CellShape::HalfBlock), 200, 60})
    ->Unit(benchmark::kMicrosecond);

void CacaDither(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    caca_canvas_t* canvas = caca_create_canvas(80, 50);
    caca_dither_t* bitmap = caca_create_bitmap(32, kFrameWidth, kFrameHeight, kFrameBytesPerRow, 0xFF, 0xFF00, 0xFF0000, 0);
    std::size_t next = 0;
    for (auto _ : state) {
        caca_dither_bitmap(canvas, 0, 0, 80, 50, bitmap, const_cast<std::uint32_t*>((*frames)[next].data()));
        next = (next + 1) % frames->size();
    }
    caca_free_bitmap(bitmap);
    caca_free_canvas(canvas);
}
BENCHMARK(CacaDither)->Unit(benchmark::kMicrosecond);

void ShowBytes(benchmark::State& state) {
    if (!enterShowDir()) {
        state.SkipWithError("no generated content: build the content target first");
        return;
    }
    const CellArea area = fitPicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<double> sizes;
    for (auto _ : state) {
        CellConverter converter(CellShape::HalfBlock, area.columns, area.rows);
        CellEncoder encoder(static_cast<int>(state.range(2)));
        sizes = wholeShowSizes(60, [&](int ms, const PixelView& frame) {
            return encoder.encodeFrame(converter.convert(frame.pixels), area.column, area.row,
                                       "time = " + std::to_string(ms))
                .size();
        });
    }
    state.counters["cells"] = area.columns * area.rows;
    state.counters["bytes_median"] = percentileOf(sizes, 50);
    state.counters["bytes_p99"] = percentileOf(sizes, 99);
    double total = 0;
    for (double size : sizes) total += size;
    state.counters["kB_per_s"] = total / sizes.size() * 60 / 1000;
}
BENCHMARK(ShowBytes)
    ->ArgNames({"columns", "rows", "tolerance"})
    ->Args({80, 50, 0})
    ->Args({80, 50, kShowColorTolerance})
    ->Args({200, 60, kShowColorTolerance})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
