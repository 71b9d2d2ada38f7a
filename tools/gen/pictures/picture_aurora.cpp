// An aurora over a snowy forest: folded green curtains with violet tops
// above rolling snowfields, dark firs with snow on their branches, and a
// starry sky; the snow carries the aurora's green.
#include <algorithm>
#include <cmath>

#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_scene_recipe.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/pictures/picture_sky.h"
#include "tools/gen/pictures/picture_terrain.h"
#include "tools/gen/seeded_random.h"

namespace gen {

namespace {

struct Curtains {
    const GradientNoise& noise;
    float width, height;  // canvas size
    int count;
    float baseRow, spread;  // shares of the height

    // Aurora light at a canvas pixel.
    Color at(float x, float y) const {
        Color sum;
        for (int k = 0; k < count; ++k) {
            const float u = x / width;
            const float base =
                height * (baseRow - 0.07f * k + 0.08f * noise.fbm(u * 2.5f + 11.0f * k, 0.3f * k, 4));
            const float tall = height * spread * (0.8f + 0.4f * (0.5f + 0.5f * noise.at(u * 3.0f, 5.0f + k)));
            const float above = base - y;
            if (above < -8.0f || above > tall * 2.5f) continue;
            const float lowerEdge = smoothstep(-6.0f * height / 480.0f, 6.0f * height / 480.0f, above);
            const float rise = std::exp(-std::max(0.0f, above) / (tall * 0.45f));
            // Rays: fine vertical streaks, folded sideways.
            const float fold = noise.fbm(u * 4.0f + 3.0f * k, y / height * 2.0f, 3);
            const float rays = 0.45f + 0.55f * (0.5f + 0.5f * noise.at(u * 90.0f + 6.0f * fold, y / height * 1.5f + k));
            const float brightness = (0.55f + 0.45f * noise.fbm(u * 5.0f + 7.0f * k, 2.0f, 3)) / (1.0f + 0.6f * k);
            const float t = clamp01(above / (tall * 1.4f));
            const Color green{0.2f, 1.0f, 0.5f}, violet{0.55f, 0.25f, 0.85f};
            const Color tint = mix(green, violet, smoothstep(0.35f, 0.9f, t));
            sum += tint * (lowerEdge * rise * rays * brightness * 1.1f);
        }
        return sum;
    }
};

// The night's colours, shared by the snow, the sky and the trees.
struct NightLook {
    Color zenith, horizon, moonLight, snow, needles;
    Color auroraGlow;  // the aurora's light on the ground: its average colour, from above
    Vec3 toMoon;
};

struct Tree {
    float x, z, ground, size, depth;
    std::uint32_t id;
};

// Half the width of a fir at height v (0 foot .. 1 tip), as a share of its height.
float firHalfWidth(float v, float jag) {
    const float tiers = 7.0f;
    const float tier = v * tiers - std::floor(v * tiers);
    return (1.0f - v) * (0.2f * (0.65f + 0.35f * (1.0f - tier)) + jag);
}

float sideways(const TerrainView& view, float x, float z) {
    return std::cos(view.yaw) * x - std::sin(view.yaw) * z;
}

float ahead(const TerrainView& view, float x, float z) {
    return std::sin(view.yaw) * x + std::cos(view.yaw) * z;
}

// Sky: gradient, a faint band of the galaxy, stars and the aurora, wherever
// the ground left the canvas open.
void paintNightSky(Image& canvas, const std::vector<float>& depth, const TerrainView& view,
                   const GradientNoise& noise, const Curtains& curtains, const NightLook& look,
                   float pixelScale, std::uint32_t starSeed) {
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (depth[static_cast<size_t>(y) * canvas.width() + x] >= 0) continue;
            const Vec3 dir = viewRay(view, canvas.width(), canvas.height(), x + 0.5f, y + 0.5f);
            Color c = mix(look.horizon, look.zenith, std::pow(std::max(0.0f, dir.y), 0.5f));
            const float bandDistance = std::fabs(dir.y - 0.55f + 0.5f * dir.x);
            const float galaxy = std::exp(-bandDistance * bandDistance * 40.0f) *
                                 (0.5f + 0.5f * noise.fbm(dir.x * 12.0f, dir.y * 12.0f, 5));
            c += Color{0.18f, 0.17f, 0.22f} * (galaxy * 0.5f);
            c += starsAt(x / pixelScale, y / pixelScale, 0.05f + 0.1f * galaxy, starSeed) * 0.8f;
            c += curtains.at(static_cast<float>(x), static_cast<float>(y));
            canvas.at(x, y) = c;
        }
    }
}

// Firs on a jittered grid, thinned into clumps, sorted far to near.
std::vector<Tree> plantFirs(const GradientNoise& noise, const TerrainView& view, const HeightField& height,
                            float spacing, float density, float treeHeight, float canvasWidth) {
    const float focal = view.focal * canvasWidth;
    std::vector<Tree> trees;
    for (int gz = 1; gz < static_cast<int>(90.0f / spacing); ++gz) {
        for (int gx = -static_cast<int>(70.0f / spacing); gx < static_cast<int>(70.0f / spacing); ++gx) {
            const float x = (static_cast<float>(gx) + hashUnit(gx, gz, 31u)) * spacing;
            const float z = (static_cast<float>(gz) + hashUnit(gx, gz, 32u)) * spacing;
            const float clump = 0.5f + 0.5f * noise.fbm(x * 0.08f + 50.0f, z * 0.08f, 3);
            if (hashUnit(gx, gz, 33u) > density * smoothstep(0.35f, 0.7f, clump)) continue;
            const float sx = sideways(view, x, z), sz = ahead(view, x, z);
            if (sz < 5.0f || std::fabs(sx / sz) * focal > canvasWidth * 0.6f) continue;
            const float size = treeHeight * (0.6f + 0.8f * hashUnit(gx, gz, 34u));
            trees.push_back({x, z, height(x, z), size, sz, hashCoords(gx, gz, 35u)});
        }
    }
    std::sort(trees.begin(), trees.end(), [](const Tree& a, const Tree& b) {
        return a.depth != b.depth ? a.depth > b.depth : a.id < b.id;
    });
    return trees;
}

// One fir: tiers of ragged branches with snow on their upper sides, hidden
// where nearer ground stands in front of it.
void drawFir(Image& canvas, std::vector<float>& depth, const Tree& tree, const TerrainView& view,
             const GradientNoise& noise, const NightLook& look, float pixelScale) {
    const float w = static_cast<float>(canvas.width()), h = static_cast<float>(canvas.height());
    const float focal = view.focal * w, horizon = view.horizonRow * h;
    const float centre = 0.5f * w + sideways(view, tree.x, tree.z) * focal / tree.depth;
    const float footRow = horizon - (tree.ground - view.eye.y) * focal / tree.depth;
    const float pixelHeight = tree.size * focal / tree.depth;
    const int top = std::max(0, static_cast<int>(footRow - pixelHeight));
    const int bottom = std::min(canvas.height() - 1, static_cast<int>(footRow + 0.1f * pixelHeight));
    const int left = std::max(0, static_cast<int>(centre - 0.35f * pixelHeight));
    const int right = std::min(canvas.width() - 1, static_cast<int>(centre + 0.35f * pixelHeight));
    const float haze = 1.0f - std::exp(-tree.depth * 0.02f);
    const Color snowLight = look.snow * (look.zenith * 1.5f + look.auroraGlow + look.moonLight * 0.4f);
    for (int y = top; y <= bottom; ++y) {
        const float v = (footRow - (static_cast<float>(y) + 0.5f)) / pixelHeight;
        for (int x = left; x <= right; ++x) {
            float& hidden = depth[static_cast<size_t>(y) * canvas.width() + x];
            if (hidden >= 0 && hidden < tree.depth - 0.3f) continue;
            const float across = (static_cast<float>(x) + 0.5f - centre) / pixelHeight;
            const float jag = 0.09f * noise.at(v * 23.0f + static_cast<float>(tree.id % 97),
                                               across * 9.0f + (across < 0 ? 40.0f : 0.0f));
            const float half = v < 0.0f ? 0.025f : firHalfWidth(v, jag);
            if (v > 1.0f || std::fabs(across) > half) continue;
            const float tier = v * 7.0f - std::floor(v * 7.0f);
            const float snowy =
                smoothstep(0.45f, 0.95f, tier + 0.4f * noise.at(across * 25.0f, v * 20.0f + static_cast<float>(tree.id % 31))) *
                smoothstep(0.05f, 0.35f, noise.at(x * 0.25f / pixelScale, y * 0.5f / pixelScale) + 0.15f);
            Color c = look.needles * (0.6f + 0.4f * clamp01(-across / half + 0.5f));
            c = mix(c, snowLight, snowy * 0.9f);
            canvas.at(x, y) = mix(c, look.horizon + look.auroraGlow * 0.5f, haze);
            hidden = tree.depth;
        }
    }
}

}  // namespace

void paintAurora(const Recipe& recipe, Image& canvas, float pixelScale) {
    const int seed = recipe.integer("seed");
    const GradientNoise noise(static_cast<std::uint64_t>(seed));
    const std::vector<double> moonAngles = recipe.numbers("moon", 2);
    const std::vector<double> hills = recipe.numbers("hills", 2);     // height frequency
    const std::vector<double> aurora = recipe.numbers("aurora", 3);   // curtains base spread
    const std::vector<double> forest = recipe.numbers("forest", 3);   // spacing density tree-height
    NightLook look;
    look.zenith = recipe.color("zenith");
    look.horizon = recipe.color("horizon");
    look.moonLight = recipe.color("moon_light");
    look.snow = recipe.color("snow");
    look.needles = recipe.color("needles");
    look.auroraGlow = Color{0.12f, 0.55f, 0.3f} * 0.3f;
    look.toMoon = directionFromDegrees(moonAngles[0], moonAngles[1]);
    if (forest[0] <= 0.1) recipe.fail("forest", "needs a tree spacing above 0.1");
    const TerrainView view = cameraFrom(recipe, 150);

    const float hillHeight = static_cast<float>(hills[0]), hillFrequency = static_cast<float>(hills[1]);
    const HeightField height = [&](float x, float z) {
        const float rise = smoothstep(0.0f, 30.0f, z);
        const float drifts = 0.12f * noise.fbm(x * 0.7f + 20.0f, z * 0.7f, 4);
        return hillHeight * (0.5f + 0.5f * noise.fbm(x * hillFrequency, z * hillFrequency, 7)) * (0.3f + rise) + drifts;
    };
    const TerrainShader shade = [&](const TerrainHit& hit) {
        const Vec3 n = hit.normal;
        const float direct = std::max(0.0f, dot(n, look.toMoon));
        const float shadow = direct > 0 ? terrainShadow(height, hit.point, look.toMoon, 20.0f, 12) : 0.0f;
        const float drift = 0.9f + 0.1f * noise.fbm(hit.point.x * 3.0f, hit.point.z * 3.0f, 3);
        Color c = look.snow * drift *
                  (look.moonLight * (1.3f * direct * shadow) + look.zenith * 2.0f + look.auroraGlow * (0.6f + 0.4f * n.y));
        // Now and then a snow crystal near the eye catches the light.
        const float sparkle = hashUnit(static_cast<int>(hit.point.x * 300.0f), static_cast<int>(hit.point.z * 300.0f), 77u);
        if (sparkle > 0.997f && hit.distance < 8.0f) c += Color{0.8f, 0.9f, 1.0f} * 0.6f;
        const float haze = 1.0f - std::exp(-hit.distance * 0.02f);
        return mix(c, look.horizon + look.auroraGlow * 0.5f, haze);
    };
    std::vector<float> depth = renderTerrain(canvas, view, height, shade);

    const Curtains curtains{noise, static_cast<float>(canvas.width()), static_cast<float>(canvas.height()),
                            static_cast<int>(aurora[0]), static_cast<float>(aurora[1]), static_cast<float>(aurora[2])};
    paintNightSky(canvas, depth, view, noise, curtains, look, pixelScale, static_cast<std::uint32_t>(seed) * 11u + 5u);

    const std::vector<Tree> trees =
        plantFirs(noise, view, height, static_cast<float>(forest[0]), static_cast<float>(forest[1]),
                  static_cast<float>(forest[2]), static_cast<float>(canvas.width()));
    for (const Tree& tree : trees) drawFir(canvas, depth, tree, view, noise, look, pixelScale);
}

}  // namespace gen
