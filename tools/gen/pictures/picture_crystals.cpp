// A close-up of a cracked geode: amethyst points crowding the hollow, a rind
// of small clear quartz, banded agate, and rough rock around it all.
#include <cmath>

#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/seeded_random.h"

namespace gen {

namespace {

// A crystal point over every cell of a jittered grid: a pyramid whose flat
// faces lean toward each neighbouring cell, meeting in sharp ridges.
struct Facet {
    float height = 0;      // 1 at the tip, 0 on the cell's edge
    float slopeX = 0, slopeY = 0;  // gradient of the height, constant over one face
    std::uint32_t cellId = 0, faceId = 0;
};

struct Facets {
    float cellSize;
    std::uint32_t seed;

    void pointOf(int gx, int gy, float& px, float& py) const {
        px = static_cast<float>(gx) + 0.15f + 0.7f * hashUnit(gx, gy, seed);
        py = static_cast<float>(gy) + 0.15f + 0.7f * hashUnit(gx, gy, seed + 1);
    }

    Facet at(float x, float y) const {
        x /= cellSize;
        y /= cellSize;
        const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
        int bestX = cx, bestY = cy;
        float best = 1e9f, tipX = 0, tipY = 0;
        for (int j = -1; j <= 1; ++j) {
            for (int i = -1; i <= 1; ++i) {
                float px, py;
                pointOf(cx + i, cy + j, px, py);
                const float d = (px - x) * (px - x) + (py - y) * (py - y);
                if (d < best) {
                    best = d;
                    bestX = cx + i;
                    bestY = cy + j;
                    tipX = px;
                    tipY = py;
                }
            }
        }
        // How far toward each neighbour's shared edge the point has come (0 at
        // the tip, 1 on the edge); the largest picks the face.
        Facet f;
        float reach = 0;
        for (int j = -2; j <= 2; ++j) {
            for (int i = -2; i <= 2; ++i) {
                if (i == 0 && j == 0) continue;
                float nx, ny;
                pointOf(bestX + i, bestY + j, nx, ny);
                const float ex = nx - tipX, ey = ny - tipY;
                const float scale = 2.0f / (ex * ex + ey * ey);
                const float along = ((x - tipX) * ex + (y - tipY) * ey) * scale;
                if (along > reach) {
                    reach = along;
                    f.slopeX = -ex * scale / cellSize;
                    f.slopeY = -ey * scale / cellSize;
                    f.faceId = hashCoords(bestX + i, bestY + j, seed + 5);
                }
            }
        }
        f.height = clamp01(1.0f - reach);
        f.cellId = hashCoords(bestX, bestY, seed + 2);
        return f;
    }
};

struct Light {
    Vec3 direction;
    Color color;
};

Color shadeFacet(const Facets& facets, float x, float y, Color base, Color tip, const Light& key,
                 const Light& fill, float relief) {
    const Facet f = facets.at(x, y);
    const float lean = relief * facets.cellSize;
    const Vec3 n = normalize({-f.slopeX * lean, -f.slopeY * lean, 1.0f});
    const float variety = static_cast<float>(f.cellId & 255) / 255.0f;
    const float faceShade = static_cast<float>((f.faceId ^ f.cellId) & 255) / 255.0f;
    Color albedo = mix(base * (0.75f + 0.6f * variety), tip, std::pow(f.height, 1.8f) * 0.8f);
    const Vec3 view{0, 0, 1};
    Color c = albedo * (0.3f + 1.2f * std::max(0.0f, dot(n, key.direction))) * key.color;
    c += albedo * fill.color * (0.4f * std::max(0.0f, dot(n, fill.direction)));
    const Vec3 half = normalize(key.direction + view);
    c += key.color * (1.4f * std::pow(std::max(0.0f, dot(n, half)), 30.0f));
    // Light bouncing inside the crystal makes some faces glow more than others.
    c += albedo * (0.45f * faceShade * f.height);
    // The roots of the points sit in each other's shadow.
    return c * (0.3f + 0.7f * smoothstep(0.0f, 0.3f, f.height));
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
                // Bands of uneven width: the phase runs faster in some layers than others.
                const float phase = t * 30.0f + 9.0f * t * t + 2.2f * noise.fbm(x * 2.5f, y * 2.5f, 5) +
                                    4.0f * noise.at(t * 6.0f, 1.5f);
                const float bands = smoothstep(-0.6f, 0.9f, std::sin(phase));
                const float fine = 0.5f + 0.5f * std::sin(t * 170.0f + 3.0f * noise.fbm(x * 7.0f, y * 7.0f, 3));
                // Which mineral a band is made of changes from layer to layer.
                const float layer = 0.5f + 0.5f * noise.at(phase * 0.16f, 7.7f) * 1.4f;
                Color band = mix(agateA, agateB, bands);
                band = mix(band, agateC, clamp01(smoothstep(0.55f, 0.8f, layer) + smoothstep(0.6f, 1.0f, t) * 0.6f));
                band = band * (0.8f + 0.4f * clamp01(layer));
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
