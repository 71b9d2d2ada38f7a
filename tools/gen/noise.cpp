#include "tools/gen/noise.h"

#include <cmath>
#include <utility>

#include "tools/gen/seeded_random.h"

namespace gen {

namespace {

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }
float lerp(float a, float b, float t) { return a + (b - a) * t; }

float grad2(int hash, float x, float y) {
    switch (hash & 7) {
        case 0: return x + y;
        case 1: return x - y;
        case 2: return -x + y;
        case 3: return -x - y;
        case 4: return 1.4142f * x;
        case 5: return -1.4142f * x;
        case 6: return 1.4142f * y;
        default: return -1.4142f * y;
    }
}

float grad3(int hash, float x, float y, float z) {
    const int h = hash & 15;
    const float u = h < 8 ? x : y;
    const float v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

int latticeIndex(float v) { return static_cast<int>(std::floor(v)) & 255; }

}  // namespace

GradientNoise::GradientNoise(std::uint64_t seed) {
    SeededRandom random(seed);
    for (int i = 0; i < 256; ++i) perm_[i] = static_cast<std::uint16_t>(i);
    for (int i = 255; i > 0; --i) {
        const int j = random.below(i + 1);
        std::swap(perm_[i], perm_[j]);
    }
    for (int i = 0; i < 256; ++i) perm_[256 + i] = perm_[i];
}

float GradientNoise::at(float x, float y) const {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = latticeIndex(fx), iy = latticeIndex(fy);
    const float dx = x - fx, dy = y - fy;
    const float u = fade(dx), v = fade(dy);
    const float a = grad2(corner(ix, iy), dx, dy);
    const float b = grad2(corner(ix + 1, iy), dx - 1, dy);
    const float c = grad2(corner(ix, iy + 1), dx, dy - 1);
    const float d = grad2(corner(ix + 1, iy + 1), dx - 1, dy - 1);
    return 0.75f * lerp(lerp(a, b, u), lerp(c, d, u), v);
}

float GradientNoise::at(float x, float y, float z) const {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = latticeIndex(fx), iy = latticeIndex(fy), iz = latticeIndex(fz);
    const float dx = x - fx, dy = y - fy, dz = z - fz;
    const float u = fade(dx), v = fade(dy), w = fade(dz);
    const int a = perm_[ix] + iy, aa = perm_[a & 511] + iz, ab = perm_[(a + 1) & 511] + iz;
    const int b = perm_[ix + 1] + iy, ba = perm_[b & 511] + iz, bb = perm_[(b + 1) & 511] + iz;
    auto g = [&](int index, float px, float py, float pz) {
        return grad3(perm_[index & 511], px, py, pz);
    };
    const float x00 = lerp(g(aa, dx, dy, dz), g(ba, dx - 1, dy, dz), u);
    const float x10 = lerp(g(ab, dx, dy - 1, dz), g(bb, dx - 1, dy - 1, dz), u);
    const float x01 = lerp(g(aa + 1, dx, dy, dz - 1), g(ba + 1, dx - 1, dy, dz - 1), u);
    const float x11 = lerp(g(ab + 1, dx, dy - 1, dz - 1), g(bb + 1, dx - 1, dy - 1, dz - 1), u);
    return 0.9f * lerp(lerp(x00, x10, v), lerp(x01, x11, v), w);
}

float GradientNoise::fbm(float x, float y, int octaves, float gain) const {
    float sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * at(x, y);
        total += amplitude;
        const float rx = 0.8f * x - 0.6f * y, ry = 0.6f * x + 0.8f * y;
        x = rx * 2.03f + 17.1f;
        y = ry * 2.03f + 5.3f;
        amplitude *= gain;
    }
    return sum / total * 1.6f;
}

float GradientNoise::fbm(float x, float y, float z, int octaves, float gain) const {
    float sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * at(x, y, z);
        total += amplitude;
        const float rx = 0.8f * x - 0.6f * z, rz = 0.6f * x + 0.8f * z;
        x = rx * 2.03f + 17.1f;
        y = y * 2.03f + 3.7f;
        z = rz * 2.03f + 5.3f;
        amplitude *= gain;
    }
    return sum / total * 1.6f;
}

float GradientNoise::ridged(float x, float y, int octaves, float gain) const {
    float sum = 0, amplitude = 1, total = 0, weight = 1;
    for (int i = 0; i < octaves; ++i) {
        float crest = 1.0f - std::fabs(at(x, y) * 1.4f);
        crest *= crest;
        crest *= weight;
        weight = std::min(1.0f, crest * 2.0f);
        sum += amplitude * crest;
        total += amplitude;
        const float rx = 0.8f * x - 0.6f * y, ry = 0.6f * x + 0.8f * y;
        x = rx * 2.07f + 11.3f;
        y = ry * 2.07f + 7.9f;
        amplitude *= gain;
    }
    return sum / total;
}

CellSample cellsAt(float x, float y, std::uint32_t seed) {
    const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
    CellSample result;
    float best = 1e9f, secondBest = 1e9f;
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int gx = cx + i, gy = cy + j;
            const float px = static_cast<float>(gx) + 0.1f + 0.8f * hashUnit(gx, gy, seed);
            const float py = static_cast<float>(gy) + 0.1f + 0.8f * hashUnit(gx, gy, seed + 1);
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < best) {
                secondBest = best;
                best = d;
                result.pointX = px;
                result.pointY = py;
                result.id = hashCoords(gx, gy, seed + 2);
            } else if (d < secondBest) {
                secondBest = d;
            }
        }
    }
    result.nearest = best;
    result.second = secondBest;
    return result;
}

}  // namespace gen
