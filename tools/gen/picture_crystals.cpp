// A close-up of a cracked geode: amethyst points crowding the hollow, a rind
// of small clear quartz, banded agate, and rough rock around it all.
#include <cmath>

#include "tools/gen/picture_noise.h"
#include "tools/gen/picture_scenes.h"
#include "tools/gen/seeded_random.h"

namespace gen {

namespace {

struct Facets {
    float cellSize;
    std::uint32_t seed;

    // A pyramid over every cell: highest at the cell's point, zero on its edges.
    float height(float x, float y) const {
        const CellSample c = cellsAt(x / cellSize, y / cellSize, seed);
        return (c.second - c.nearest) * cellSize;
    }
};

struct Light {
    Vec3 direction;
    Color color;
};

Color shadeFacet(const Facets& facets, float x, float y, Color base, Color tip, const Light& key,
                 const Light& fill, float relief) {
    const float eps = facets.cellSize * 0.02f;
    const float hc = facets.height(x, y);
    const float hx = facets.height(x + eps, y), hy = facets.height(x, y + eps);
    const Vec3 n = normalize({-(hx - hc) / eps * relief, -(hy - hc) / eps * relief, 1.0f});
    const CellSample cell = cellsAt(x / facets.cellSize, y / facets.cellSize, facets.seed);
    const float tipness = clamp01(hc / facets.cellSize * 2.2f);
    const float variety = static_cast<float>(cell.id & 255) / 255.0f;
    Color albedo = mix(base * (0.7f + 0.6f * variety), tip, tipness * tipness);
    const Vec3 view{0, 0, 1};
    Color c = albedo * (0.18f + 0.9f * std::max(0.0f, dot(n, key.direction))) * key.color;
    c += albedo * fill.color * (0.35f * std::max(0.0f, dot(n, fill.direction)));
    const Vec3 half = normalize(key.direction + view);
    c += key.color * (1.3f * std::pow(std::max(0.0f, dot(n, half)), 80.0f));
    // Light caught inside the crystal glows through near its tip.
    c += albedo * (0.35f * tipness);
    // Valleys between the points sit in shadow.
    c = c * (0.35f + 0.65f * smoothstep(0.0f, 0.25f, hc / facets.cellSize));
    return c;
}

}  // namespace

void paintCrystals(const Recipe& recipe, Image& canvas, float /*pixelScale*/) {
    const int seed = recipe.integer("seed");
    const GradientNoise noise(static_cast<std::uint64_t>(seed));
    const std::vector<double> rings = recipe.numbers("rings", 3);  // hollow, quartz, agate radii
    const std::vector<double> cells = recipe.numbers("cells", 3);  // big, small, quartz sizes
    const Color amethyst = recipe.color("amethyst");
    const Color amethystTip = recipe.color("amethyst_tip");
    const Color quartz = recipe.color("quartz");
    const Color agateA = recipe.color("agate_a");
    const Color agateB = recipe.color("agate_b");
    const Color agateC = recipe.color("agate_c");
    const Color rock = recipe.color("rock");
    const Light key{normalize({-0.5f, -0.6f, 0.65f}), recipe.color("light")};
    const Light fill{normalize({0.7f, 0.3f, 0.6f}), recipe.color("fill")};

    const float hollow = static_cast<float>(rings[0]), quartzEdge = static_cast<float>(rings[1]);
    const float agateEdge = static_cast<float>(rings[2]);
    const Facets big{static_cast<float>(cells[0]), static_cast<std::uint32_t>(seed) + 1u};
    const Facets small{static_cast<float>(cells[1]), static_cast<std::uint32_t>(seed) + 2u};
    const Facets clear{static_cast<float>(cells[2]), static_cast<std::uint32_t>(seed) + 3u};

    const float w = static_cast<float>(canvas.width()), h = static_cast<float>(canvas.height());
    for (int py = 0; py < canvas.height(); ++py) {
        for (int px = 0; px < canvas.width(); ++px) {
            const float x = (static_cast<float>(px) + 0.5f - 0.5f * w) / h;
            const float y = (static_cast<float>(py) + 0.5f - 0.5f * h) / h;
            // Distance from the hollow's centre, roughened so the rings wander.
            const float angle = std::atan2(y, x);
            const float wobble = 0.06f * noise.fbm(std::cos(angle) * 1.5f, std::sin(angle) * 1.5f, 4);
            const float r = std::sqrt(x * x * 0.8f + y * y * 1.1f) + wobble;
            Color c;
            if (r < hollow) {
                const float pick = r + 0.05f * noise.fbm(x * 6.0f, y * 6.0f, 3);
                const Facets& layer = pick < hollow * 0.62f ? big : small;
                c = shadeFacet(layer, x, y, amethyst, amethystTip, key, fill, 1.6f);
                c = c * (0.55f + 0.45f * smoothstep(0.0f, hollow, r));  // the deep middle is darker
            } else if (r < quartzEdge) {
                c = shadeFacet(clear, x, y, quartz, Color{1, 1, 1}, key, fill, 1.2f);
            } else if (r < agateEdge) {
                const float t = (r - quartzEdge) / (agateEdge - quartzEdge);
                const float bands = 0.5f + 0.5f * std::sin(t * 42.0f + 3.0f * noise.fbm(x * 3.0f, y * 3.0f, 4));
                const float fine = 0.5f + 0.5f * std::sin(t * 160.0f + 2.0f * noise.fbm(x * 9.0f, y * 9.0f, 3));
                Color band = mix(agateA, agateB, bands);
                band = mix(band, agateC, smoothstep(0.6f, 1.0f, t) * 0.8f);
                c = band * (0.75f + 0.25f * fine) * (0.7f + 0.3f * key.color.r);
                c += Color{1, 1, 1} * (0.12f * std::pow(std::max(0.0f, 1.0f - std::fabs(t - 0.5f) * 2.0f), 6.0f));
            } else {
                const float grain = noise.fbm(x * 14.0f, y * 14.0f, 6);
                const float gx = noise.fbm(x * 14.0f + 0.02f, y * 14.0f, 6) - grain;
                const float gy = noise.fbm(x * 14.0f, y * 14.0f + 0.02f, 6) - grain;
                const Vec3 n = normalize({-gx * 30.0f, -gy * 30.0f, 1.0f});
                const float lit = 0.3f + 0.8f * std::max(0.0f, dot(n, key.direction));
                c = rock * (0.75f + 0.35f * grain) * lit;
                c = c * (1.0f - 0.45f * smoothstep(agateEdge, agateEdge + 0.5f, r));
            }
            canvas.at(px, py) = c;
        }
    }
}

}  // namespace gen
