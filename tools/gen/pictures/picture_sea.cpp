// The sea under sunset clouds: the sky's clouds and the low sun mirrored in
// rippled water, with a glittering path of light toward the sun.
#include <cmath>

#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_scene_recipe.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/pictures/picture_sky.h"
#include "tools/gen/pictures/picture_terrain.h"

namespace gen {

namespace {

// Slope of the wave surface at (x, z): long swells across the view plus
// chop, fading with distance where the eye could not resolve it anyway.
Vec3 waveNormal(const GradientNoise& noise, float x, float z, float distance, float strength) {
    auto height = [&](float px, float pz) {
        return noise.fbm(px * 0.9f, pz * 2.6f, 6) + 0.35f * noise.fbm(px * 4.0f + 3.0f, pz * 6.0f, 3);
    };
    const float eps = 0.02f + distance * 0.002f;
    const float dx = height(x + eps, z) - height(x - eps, z);
    const float dz = height(x, z + eps) - height(x, z - eps);
    const float k = strength / (1.0f + distance * 0.06f) / (2.0f * eps);
    return normalize({-dx * k * 0.08f, 1.0f, -dz * k * 0.08f});
}

}  // namespace

void paintSea(const Recipe& recipe, Image& canvas, float pixelScale) {
    const GradientNoise noise(static_cast<std::uint64_t>(recipe.integer("seed")));
    const std::vector<double> sunAngles = recipe.numbers("sun", 3);    // azimuth elevation size
    const float waves = static_cast<float>(recipe.number("waves"));
    const Color water = recipe.color("water");

    SkyLook sky = cloudySkyFrom(recipe);
    sky.toSun = directionFromDegrees(sunAngles[0], sunAngles[1]);
    sky.sunSize = static_cast<float>(sunAngles[2] * 3.14159265358979 / 180.0);
    const TerrainView view = cameraFrom(recipe, 200);
    const std::uint32_t starSeed = static_cast<std::uint32_t>(recipe.integer("seed")) * 5u + 1u;

    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const Vec3 dir = viewRay(view, canvas.width(), canvas.height(), x + 0.5f, y + 0.5f);
            if (dir.y > 0) {
                Color c = skyColor(sky, noise, dir);
                c += starsAt(x / pixelScale, y / pixelScale, 0.02f, starSeed) *
                     (0.4f * smoothstep(0.35f, 0.7f, dir.y));
                canvas.at(x, y) = c;
                continue;
            }
            const float t = view.eye.y / -dir.y;
            const Vec3 p = view.eye + dir * t;
            const Vec3 n = waveNormal(noise, p.x, p.z, t, waves);
            Vec3 r = reflect(dir, n);
            r.y = std::max(std::fabs(r.y), 0.003f);
            const float cosine = clamp01(-dot(dir, n));
            const float fresnel = 0.02f + 0.98f * std::pow(1.0f - cosine, 5.0f);
            const Color reflected = skyColor(sky, noise, normalize(r));
            const Color body = water * (0.5f + 0.5f * skyGradient(sky, {0, 1, 0}).b);
            Color c = mix(body, reflected, clamp01(fresnel * 1.4f + 0.15f));
            const float glint = std::pow(std::max(0.0f, dot(r, sky.toSun)), 900.0f);
            c += sky.sunGlow * (6.0f * glint);
            // The far sea fades into the glow on the horizon.
            const float haze = clamp01(std::exp(-(-dir.y) * 60.0f));
            canvas.at(x, y) = mix(c, skyGradient(sky, {dir.x, 0.001f, dir.z}), haze * 0.7f);
        }
    }
}

}  // namespace gen
