// What the kitty and sixel pictures cost, on consecutive show frames (60 a
// second) from every part of the show:
// - Kitty/<transfer>: one frame's commands; 0 base64, 1 zlib and base64,
//   2 shared memory (the object written, the short command). Counters:
//   the bytes a frame sends, median.
// - Sixel/<width>/<height>: our encoder, scaling and the fixed palette
//   included.
// - LibsixelEncode/<width>/<height>: libsixel's encoder on the same
//   palette indices (no colour work at all), for the choice of encoder.
// - Palette/<kind>: 640 x 400 sixels with the fixed palette (0) or a
//   palette made for each frame by libsixel's median cut (1): the mean
//   error per channel against the frame, and the bytes.
// - ShowBytes/<picture>: every frame of the whole show, the bytes each
//   sends (median, p99): 0 kitty base64 at 60 a second, 1 kitty zlib at 60,
//   2 sixel 640 x 400 at 30, 3 sixel 1280 x 800 at 30.
#include <benchmark/benchmark.h>
#include <sixel/sixel.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/show_frames.h"
#include "driver/schedule.h"
#include "engine/frame.h"
#include "platform/kitty_encoder.h"
#include "platform/shared_frames.h"
#include "platform/sixel_encoder.h"
#include "tools/capture/show_session.h"

namespace {

void Kitty(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) return state.SkipWithError("no generated content: build the content target first");
    const auto transfer = static_cast<KittyTransfer>(state.range(0));
    KittyEncoder encoder(transfer);
    const CellArea area{0, 12, 80, 25};
    std::vector<double> sizes;
    std::size_t next = 0;
    std::string error;
    for (auto _ : state) {
        encoder.takeFrame(frameView((*frames)[next]));
        std::string name;
        const bool shared = transfer == KittyTransfer::SharedMemory;
        if (shared && writeSharedObject(0, encoder.rgb(), error) == SharedObjectWrite::Written)
            name = sharedObjectName(0);
        const std::string_view bytes = encoder.commands(area, name);
        benchmark::DoNotOptimize(bytes.data());
        sizes.push_back(static_cast<double>(bytes.size()));
        // The terminal's part: it removes the object once read.
        if (!name.empty()) {
            state.PauseTiming();
            shm_unlink(name.c_str());
            state.ResumeTiming();
        }
        next = (next + 1) % frames->size();
    }
    state.counters["bytes_median"] = percentileOf(sizes, 50);
}
BENCHMARK(Kitty)->ArgNames({"transfer"})->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void Sixel(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) return state.SkipWithError("no generated content: build the content target first");
    SixelEncoder encoder(paletteForRegisters(256));
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    std::vector<double> sizes;
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string_view bytes = encoder.encodeFrame(frameView((*frames)[next]), width, height);
        benchmark::DoNotOptimize(bytes.data());
        sizes.push_back(static_cast<double>(bytes.size()));
        next = (next + 1) % frames->size();
    }
    state.counters["bytes_median"] = percentileOf(sizes, 50);
}
// 4096 x 2556: the largest image the sixel picture draws.
BENCHMARK(Sixel)->ArgNames({"width", "height"})->Args({640, 396})->Args({1280, 798})->Args({4096, 2556})
    ->Unit(benchmark::kMicrosecond);

int appendBytes(char* data, int size, void* out) {
    static_cast<std::string*>(out)->append(data, static_cast<std::size_t>(size));
    return 0;
}

void LibsixelEncode(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) return state.SkipWithError("no generated content: build the content target first");
    const SixelPalette palette = paletteForRegisters(256);
    SixelEncoder ours(palette);
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    std::vector<std::vector<std::uint8_t>> indexed;
    for (std::size_t i = 0; i < frames->size(); i += 7) {
        ours.encodeFrame(frameView((*frames)[i]), width, height);
        indexed.push_back(ours.indices());
    }
    std::vector<unsigned char> colors;
    for (int entry = 0; entry < palette.size(); ++entry)
        for (int shift : {0, 8, 16}) colors.push_back(static_cast<unsigned char>(palette.color(entry) >> shift));
    std::string out;
    sixel_output_t* output = nullptr;
    sixel_output_new(&output, appendBytes, &out, nullptr);
    sixel_output_set_encode_policy(output, SIXEL_ENCODEPOLICY_FAST);
    sixel_dither_t* dither = nullptr;
    sixel_dither_new(&dither, palette.size(), nullptr);
    sixel_dither_set_palette(dither, colors.data());
    sixel_dither_set_pixelformat(dither, SIXEL_PIXELFORMAT_PAL8);
    std::vector<double> sizes;
    std::size_t next = 0;
    for (auto _ : state) {
        out.clear();
        sixel_encode(indexed[next].data(), width, height, 1, dither, output);
        sizes.push_back(static_cast<double>(out.size()));
        next = (next + 1) % indexed.size();
    }
    sixel_dither_unref(dither);
    sixel_output_unref(output);
    state.counters["bytes_median"] = percentileOf(sizes, 50);
}
BENCHMARK(LibsixelEncode)->ArgNames({"width", "height"})->Args({640, 396})->Unit(benchmark::kMicrosecond);

// Mean absolute error per channel of an RGB picture against the frame
// enlarged twice (nearest), as the 640 x 400 image shows it.
double meanError(const std::vector<std::uint32_t>& frame, const unsigned char* rgb) {
    double sum = 0;
    for (int y = 0; y < 400; ++y) {
        for (int x = 0; x < 640; ++x) {
            const std::uint32_t source = frame[(y / 2) * kFrameWidth + x / 2];
            const unsigned char* shown = rgb + (static_cast<std::size_t>(y) * 640 + x) * 3;
            for (int c = 0; c < 3; ++c) sum += std::abs(static_cast<int>(source >> (8 * c) & 0xFF) - shown[c]);
        }
    }
    return sum / (640.0 * 400 * 3);
}

void Palette(benchmark::State& state) {
    const auto* frames = showFrames();
    if (!frames) return state.SkipWithError("no generated content: build the content target first");
    const bool adaptive = state.range(0) == 1;
    const SixelPalette fixed = paletteForRegisters(256);
    SixelEncoder encoder(fixed);
    std::string out;
    sixel_output_t* output = nullptr;
    sixel_output_new(&output, appendBytes, &out, nullptr);
    std::vector<double> errors, sizes;
    std::vector<unsigned char> rgb(640 * 400 * 3);
    std::size_t next = 0;
    for (auto _ : state) {
        const std::vector<std::uint32_t>& frame = (*frames)[next];
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 640; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(static_cast<std::size_t>(y) * 640 + x) * 3 + c] =
                        static_cast<unsigned char>(frame[(y / 2) * kFrameWidth + x / 2] >> (8 * c));
        std::vector<unsigned char> shown(rgb.size());
        if (adaptive) {
            sixel_dither_t* dither = nullptr;
            sixel_dither_new(&dither, 256, nullptr);
            sixel_dither_initialize(dither, rgb.data(), 640, 400, SIXEL_PIXELFORMAT_RGB888, SIXEL_LARGE_AUTO,
                                    SIXEL_REP_AUTO, SIXEL_QUALITY_AUTO);
            sixel_dither_set_diffusion_type(dither, SIXEL_DIFFUSE_NONE);
            out.clear();
            sixel_encode(rgb.data(), 640, 400, 3, dither, output);
            sixel_dither_unref(dither);
        } else {
            // 400 rows, not the console's 396: both images then sample
            // the frame at the same rows, and only the palettes differ.
            out.assign(encoder.encodeFrame(frameView(frame), 640, 400));
        }
        state.PauseTiming();
        // What a terminal shows, read back by libsixel.
        unsigned char* indices = nullptr;
        unsigned char* colors = nullptr;
        int width = 0, height = 0, count = 0;
        sixel_decode_raw(reinterpret_cast<unsigned char*>(out.data()), static_cast<int>(out.size()), &indices, &width,
                         &height, &colors, &count, nullptr);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 640; ++x)
                for (int c = 0; c < 3; ++c)
                    shown[(static_cast<std::size_t>(y) * 640 + x) * 3 + c] =
                        y < height && x < width ? colors[indices[y * width + x] * 3 + c] : rgb[(y * 640 + x) * 3 + c];
        std::free(indices);
        std::free(colors);
        errors.push_back(meanError(frame, shown.data()));
        sizes.push_back(static_cast<double>(out.size()));
        state.ResumeTiming();
        next = (next + 1) % frames->size();
    }
    sixel_output_unref(output);
    double total = 0;
    for (double e : errors) total += e;
    state.counters["mean_error"] = total / errors.size();
    state.counters["bytes_median"] = percentileOf(sizes, 50);
}
BENCHMARK(Palette)->ArgNames({"adaptive"})->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(60);

void ShowBytes(benchmark::State& state) {
    if (!enterShowDir()) return state.SkipWithError("no generated content: build the content target first");
    const int picture = static_cast<int>(state.range(0));
    const int fps = picture < 2 ? 60 : 30;
    std::vector<double> sizes;
    for (auto _ : state) {
        KittyEncoder kitty(picture == 0 ? KittyTransfer::Direct : KittyTransfer::Compressed);
        SixelEncoder sixel(paletteForRegisters(256));
        sizes = wholeShowSizes(fps, [&](int, const PixelView& frame) {
            return (picture < 2 ? kitty.encodeFrame(frame, {0, 12, 80, 25})
                    : picture == 2 ? sixel.encodeFrame(frame, 640, 396)
                                   : sixel.encodeFrame(frame, 1280, 798))
                .size();
        });
    }
    state.counters["bytes_median"] = percentileOf(sizes, 50);
    state.counters["bytes_p99"] = percentileOf(sizes, 99);
}
BENCHMARK(ShowBytes)->ArgNames({"picture"})->DenseRange(0, 3)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
