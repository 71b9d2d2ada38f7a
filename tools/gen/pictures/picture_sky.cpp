#include "tools/gen/pictures/picture_sky.h"

#include <cmath>

#include "tools/gen/seeded_random.h"

namespace gen {

Vec3 directionFromDegrees(double azimuth, double elevation) {
    const double a = azimuth * 3.14159265358979 / 180.0, e = elevation * 3.14159265358979 / 180.0;
    return normalize({static_cast<float>(std::sin(a) * std::cos(e)), static_cast<float>(std::sin(e)),
                      static_cast<float>(std::cos(a) * std::cos(e))});
}

Color skyGradient(const SkyLook& sky, Vec3 dir) {
    const float up = std::max(dir.y, 0.0f);
    const float towardSun = std::max(0.0f, dot(dir, normalize(sky.toSun)));
    // The horizon warms toward the sun; higher up the sky deepens.
    const Color horizon = mix(sky.horizon, sky.sunGlow, std::pow(towardSun, 3.0f));
    Color c = mix(horizon, sky.zenith, std::pow(up, 0.45f));
    c += sky.sunGlow * (0.35f * std::pow(towardSun, 12.0f) + 0.25f * std::pow(towardSun, 90.0f));
    if (sky.sunSize > 0) {
        const float angle = std::acos(std::min(1.0f, towardSun));
        const float disc = 1.0f - smoothstep(sky.sunSize * 0.85f, sky.sunSize, angle);
        c += Color{1.0f, 0.92f, 0.75f} * (2.0f * disc);
    }
    return c;
}

Color skyColor(const SkyLook& sky, const GradientNoise& noise, Vec3 dir) {
    Color c = skyGradient(sky, dir);
    if (sky.cloudCover <= 0 || dir.y <= 0.002f) return c;

    // Where the ray meets the cloud deck.
    const float t = sky.cloudHeight / dir.y;
    const float px = dir.x * t / sky.cloudScale / sky.cloudStretch;
    const float pz = dir.z * t / sky.cloudScale;
    // Domain warping folds the fBm into billows and streaks.
    const float wx = noise.fbm(px * 0.5f + 3.1f, pz * 0.5f, 4);
    const float wz = noise.fbm(px * 0.5f - 7.4f, pz * 0.5f + 2.2f, 4);
    const float qx = px + 1.4f * wx, qz = pz + 1.4f * wz;
    auto densityAt = [&](float x, float z) {
        return smoothstep(0.85f - sky.cloudCover, 1.25f - sky.cloudCover,
                          0.5f + 0.5f * noise.fbm(x, z, 6));
    };
    const float density = densityAt(qx, qz);
    if (density <= 0.001f) return c;

    // Thin edges facing the sun glow; thick cores stay in shadow.
    const Vec3 sun = normalize(sky.toSun);
    const float sunLen = std::sqrt(sun.x * sun.x + sun.z * sun.z) + 1e-4f;
    const float towardX = sun.x / sunLen / sky.cloudStretch * 0.15f;
    const float towardZ = sun.z / sunLen * 0.15f;
    const float nearSunDensity = densityAt(qx + towardX, qz + towardZ);
    const float rim = clamp01((density - nearSunDensity) * 2.5f + 0.35f * (1.0f - density));
    const float towardSun = std::max(0.0f, dot(dir, sun));
    const Color lit = sky.sunGlow * (0.6f + 1.6f * std::pow(towardSun, 6.0f));
    Color cloud = mix(sky.cloudShadow, lit, 0.3f + 0.7f * rim);
    // Far clouds melt into the horizon haze.
    const float haze = clamp01(1.0f - std::exp(-t / sky.cloudHeight * 0.08f));
    cloud = mix(cloud, skyGradient(sky, dir), haze * 0.8f);
    return mix(c, cloud, density * (1.0f - 0.5f * haze));
}

Color starsAt(float x, float y, float density, std::uint32_t seed) {
    const int cell = 6;
    const int cx = static_cast<int>(std::floor(x / cell)), cy = static_cast<int>(std::floor(y / cell));
    Color sum;
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int gx = cx + i, gy = cy + j;
            if (hashUnit(gx, gy, seed) > density) continue;
            const float sx = (static_cast<float>(gx) + hashUnit(gx, gy, seed + 1)) * cell;
            const float sy = (static_cast<float>(gy) + hashUnit(gx, gy, seed + 2)) * cell;
            const float d2 = (sx - x) * (sx - x) + (sy - y) * (sy - y);
            const float b = hashUnit(gx, gy, seed + 3);
            const float brightness = 0.15f + 1.6f * b * b * b;
            const float radius = 0.5f + 0.9f * b;
            const float tint = hashUnit(gx, gy, seed + 4);
            const Color color = tint < 0.3f ? Color{1.0f, 0.85f, 0.7f}
                                : tint < 0.6f ? Color{0.8f, 0.88f, 1.0f}
                                              : Color{1, 1, 1};
            sum += color * (brightness * std::exp(-d2 / (radius * radius)));
        }
    }
    return sum;
}

}  // namespace gen
