// A mountain range at dusk: ridged peaks with snow lit by the last sun, blue
// shadows, fog lying in the valleys, thin clouds catching the light.
#include <cmath>

#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_scene_recipe.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/pictures/picture_sky.h"
#include "tools/gen/pictures/picture_terrain.h"

namespace gen {

namespace {

struct Range {
    const GradientNoise& noise;
    float peakHeight, frequency, eyeX, eyeZ;

    // The valley floor rises into peaks with distance from the eye.
    float height(float x, float z, int octaves) const {
        const float f = frequency;
        const float crest = noise.ridged(x * f, z * f, octaves);
        const float swell = 0.5f + 0.5f * noise.fbm(x * f * 0.37f + 9.0f, z * f * 0.37f, 3);
        const float dist = std::sqrt((x - eyeX) * (x - eyeX) + (z - eyeZ) * (z - eyeZ));
        const float rise = 0.18f + 0.82f * smoothstep(4.0f, 26.0f, dist);
        const float mountains = peakHeight * (0.6f * crest * std::sqrt(crest) + 0.5f * swell * swell);
        const float hills = 0.6f * (0.5f + 0.5f * noise.fbm(x * 0.35f, z * 0.35f, 4));
        return hills + mountains * rise;
    }
};

}  // namespace

void paintMountains(const Recipe& recipe, Image& canvas, float pixelScale) {
    const GradientNoise noise(static_cast<std::uint64_t>(recipe.integer("seed")));
    const std::vector<double> sunAngles = recipe.numbers("sun", 2);
    const std::vector<double> peaks = recipe.numbers("peaks", 2);     // height frequency
    const std::vector<double> fog = recipe.numbers("fog", 3);         // level thickness density
    const float snowline = static_cast<float>(recipe.number("snowline"));
    const float treeline = static_cast<float>(recipe.number("treeline"));

    SkyLook sky = cloudySkyFrom(recipe);
    sky.toSun = directionFromDegrees(sunAngles[0], sunAngles[1]);
    const Color sunLight = recipe.color("sun_light");
    const Color fogColor = recipe.color("fog_color");
    const Color rockColor = recipe.color("rock");
    const Color snowColor = recipe.color("snow");
    const Color forestColor = recipe.color("forest");

    const TerrainView view = cameraFrom(recipe, 160);

    const Range range{noise, static_cast<float>(peaks[0]), static_cast<float>(peaks[1]), 0, 0};
    const HeightField fine = [&](float x, float z) { return range.height(x, z, 9); };
    const HeightField coarse = [&](float x, float z) { return range.height(x, z, 5); };
    const float fogLevel = static_cast<float>(fog[0]), fogThickness = static_cast<float>(fog[1]);
    const float fogDensity = static_cast<float>(fog[2]);

    const TerrainShader shade = [&](const TerrainHit& hit) {
        const Vec3 p = hit.point, n = hit.normal;
        const float grain = noise.fbm(p.x * 2.3f, p.z * 2.3f, 5);
        const float strata = 0.5f + 0.5f * std::sin(p.y * 9.0f + 3.0f * grain);
        Color albedo = rockColor * (0.75f + 0.3f * grain + 0.08f * strata);
        const float forest = smoothstep(0.7f, 0.85f, n.y) * (1.0f - smoothstep(treeline - 0.6f, treeline + 0.6f, p.y + grain));
        albedo = mix(albedo, forestColor * (0.8f + 0.4f * grain), forest);
        const float snow = smoothstep(snowline - 0.6f, snowline + 0.4f, p.y + 1.2f * grain) *
                           smoothstep(0.35f, 0.6f, n.y + 0.15f * grain);
        albedo = mix(albedo, snowColor, snow);

        const float direct = std::max(0.0f, dot(n, sky.toSun));
        const float shadow = direct > 0 ? terrainShadow(coarse, p, sky.toSun, 30.0f, 18) : 0.0f;
        const Color skyLight = mix(sky.horizon, sky.zenith, 0.5f) * (0.25f + 0.75f * n.y);
        // Light from the glowing sky low on the sun's side wraps round the slopes.
        const Vec3 sunFlat = normalize({sky.toSun.x, 0.0f, sky.toSun.z});
        const float wrap = std::max(0.0f, dot(n, sunFlat) * 0.6f + 0.4f);
        Color c = albedo * (sunLight * (direct * shadow * 1.6f + 0.35f * wrap) + skyLight);

        // Valley fog: thick below its level, thinning above, lit by the sky.
        const float inFog = std::exp(-std::max(0.0f, p.y - fogLevel) / fogThickness);
        const float fogAmount = 1.0f - std::exp(-hit.distance * fogDensity * inFog);
        const float swirl = clamp01(0.65f + 0.6f * noise.fbm(p.x * 0.4f, p.z * 0.4f + p.y, 4));
        c = mix(c, fogColor * (0.75f + 0.25f * swirl), clamp01(fogAmount * swirl));
        // Distance haze toward the horizon colour.
        const float haze = 1.0f - std::exp(-hit.distance * 0.01f);
        return mix(c, skyGradient(sky, hit.viewDir), haze * 0.85f);
    };

    const std::vector<float> depth = renderTerrain(canvas, view, fine, shade);
    const std::uint32_t starSeed = static_cast<std::uint32_t>(recipe.integer("seed")) * 7u + 3u;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (depth[static_cast<size_t>(y) * canvas.width() + x] >= 0) continue;
            const Vec3 dir = viewRay(view, canvas.width(), canvas.height(), x + 0.5f, y + 0.5f);
            Color c = skyColor(sky, noise, dir);
            const float dark = smoothstep(0.3f, 0.7f, dir.y);
            c += starsAt(x / pixelScale, y / pixelScale, 0.025f, starSeed) * (0.5f * dark);
            canvas.at(x, y) = c;
        }
    }
}

}  // namespace gen
