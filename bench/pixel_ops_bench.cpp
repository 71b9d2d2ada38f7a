// Cost of the shared pixel operations over one 320 x 200 frame. Each case
// reports the time per frame (the benchmark's own time) and per pixel
// ("per_pixel", in seconds with a unit prefix).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "bench/swirl_grid.h"
#include "render/deform_grid.h"
#include "render/pixel_ops.h"

namespace {

constexpr int kPixels = kFramePixels;

std::vector<unsigned int> randomPixels(int count, unsigned int seed) {
    std::mt19937 generator(seed);
    std::vector<unsigned int> pixels(count);
    for (unsigned int& pixel : pixels) pixel = generator() & 0x00FFFFFFu;
    return pixels;
}

// An empty statement the compiler must assume reads and changes `value`.
void pinInRegister(unsigned int& value) { asm volatile("" : "+r"(value)); }

void reportPixels(benchmark::State& state, int pixelsPerIteration) {
    state.counters["per_pixel"] = benchmark::Counter(
        static_cast<double>(pixelsPerIteration),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// One binary operation applied to every pixel of a frame against a second
// frame. The effects call these operations one pixel at a time amid other
// per-pixel work (a random draw, a stepped source fetch), so each result is
// pinned in a register: otherwise the compiler turns this plain loop over
// two arrays into a four-pixel vector loop, the scalar twins included, and
// measures something no effect does. (benchmark::DoNotOptimize would also
// clobber memory and reload every pointer per pixel.)
template <typename Operation>
void runFrameOperation(benchmark::State& state, Operation operation) {
    std::vector<unsigned int> frame = randomPixels(kPixels, 1);
    const std::vector<unsigned int> other = randomPixels(kPixels, 2);
    for (auto _ : state) {
        unsigned int* f = frame.data();
        const unsigned int* o = other.data();
        for (int i = 0; i < kPixels; ++i) {
            unsigned int result = operation(f[i], o[i], i);
            pinInRegister(result);
            f[i] = result;
        }
        benchmark::DoNotOptimize(f);
        benchmark::ClobberMemory();
    }
    reportPixels(state, kPixels);
}

void BM_AddSaturate(benchmark::State& state) {
    runFrameOperation(state, [](unsigned int a, unsigned int b, int) { return addSaturate(a, b); });
}
BENCHMARK(BM_AddSaturate);

void BM_AddSaturateScalar(benchmark::State& state) {
    runFrameOperation(state,
                      [](unsigned int a, unsigned int b, int) { return addSaturateScalar(a, b); });
}
BENCHMARK(BM_AddSaturateScalar);

void BM_SubSaturate(benchmark::State& state) {
    runFrameOperation(state, [](unsigned int a, unsigned int b, int) { return subSaturate(a, b); });
}
BENCHMARK(BM_SubSaturate);

void BM_SubSaturateScalar(benchmark::State& state) {
    runFrameOperation(state,
                      [](unsigned int a, unsigned int b, int) { return subSaturateScalar(a, b); });
}
BENCHMARK(BM_SubSaturateScalar);

void BM_BlendColor(benchmark::State& state) {
    runFrameOperation(state,
                      [](unsigned int a, unsigned int b, int i) { return blendColor(a, b, i & 255); });
}
BENCHMARK(BM_BlendColor);

void BM_Blend3(benchmark::State& state) {
    // A random level per pixel over the whole ramp (255 wraps), as the
    // overlays use it.
    runFrameOperation(state, [](unsigned int a, unsigned int b, int) {
        return blend3(0, a, 0x00FFFFFFu, static_cast<int>(b >> 16));
    });
}
BENCHMARK(BM_Blend3);

// A full-screen sprite from a 256 x 256 source, the size the effects use.
template <typename Draw>
void runSprite(benchmark::State& state, Draw draw, int pixelsWritten = 319 * 199) {
    std::vector<unsigned int> frame = randomPixels(kPixels, 3);
    const std::vector<unsigned int> source = randomPixels(kTexturePixels, 4);
    for (auto _ : state) {
        draw(source.data(), frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    reportPixels(state, pixelsWritten);  // 319 x 199 for a full-screen sprite
}

void BM_BlitScaledAdd(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaledAdd(0, 0, kTextureSide, kTextureSide, kFrameWidth, kFrameHeight, s, f);
    });
}
BENCHMARK(BM_BlitScaledAdd);

void BM_BlitScaledSub(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaledSub(0, 0, kTextureSide, kTextureSide, kFrameWidth, kFrameHeight, s, f);
    });
}
BENCHMARK(BM_BlitScaledSub);

// A flare as the space scene draws it near its end: the 64 x 64 image grown
// to 150 x 150, half of them added and half taken away.
void BM_FlareAdd(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaledAdd(85, 25, 64, 64, 150, 150, s, f);
    }, 150 * 150);
}
BENCHMARK(BM_FlareAdd);

void BM_FlareSub(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaledSub(85, 25, 64, 64, 150, 150, s, f);
    }, 150 * 150);
}
BENCHMARK(BM_FlareSub);

void BM_BlitScaled(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaled(0, 0, kTextureSide, kTextureSide, kFrameWidth, kFrameHeight, s, f);
    });
}
BENCHMARK(BM_BlitScaled);

void BM_BlitScaledAddFade(benchmark::State& state) {
    runSprite(state, [](const unsigned int* s, unsigned int* f) {
        blitScaledAddFade(0, 0, kTextureSide, kTextureSide, kFrameWidth, kFrameHeight, s, f, 100);
    });
}
BENCHMARK(BM_BlitScaledAddFade);

void BM_Blur4(benchmark::State& state) {
    std::vector<unsigned int> frame = randomPixels(kPixels, 5);
    for (auto _ : state) {
        blur4(kFrameWidth, kFrameHeight, frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    reportPixels(state, kPixels - 642);
}
BENCHMARK(BM_Blur4);

void BM_CopyPhotoWindow(benchmark::State& state) {
    const std::vector<unsigned int> photo = randomPixels(640 * 480, 6);
    std::vector<unsigned int> window(kTexturePixels);
    int x = 0;
    for (auto _ : state) {
        copyPhotoWindow(x, 300, photo.data(), window.data());  // wraps both ways at times
        x = (x + 97) % 640;
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
    reportPixels(state, kTexturePixels);
}
BENCHMARK(BM_CopyPhotoWindow);

void BM_DrawShaded(benchmark::State& state) {
    const DeformGrid grid = swirlGrid();
    const std::vector<unsigned int> texture = randomPixels(kTexturePixels, 7);
    std::vector<unsigned int> frame(kPixels);
    for (auto _ : state) {
        grid.drawShaded(texture.data(), frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    reportPixels(state, kPixels);
}
BENCHMARK(BM_DrawShaded);

void BM_DrawHalfBlend(benchmark::State& state) {
    const DeformGrid grid = swirlGrid();
    const std::vector<unsigned int> texture = randomPixels(kTexturePixels, 8);
    std::vector<unsigned int> frame = randomPixels(kPixels, 9);
    for (auto _ : state) {
        grid.drawHalfBlend(texture.data(), frame.data());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    reportPixels(state, kPixels);
}
BENCHMARK(BM_DrawHalfBlend);

}  // namespace
