#include "tools/gen/pictures/picture_terrain.h"

#include <cmath>

namespace gen {

namespace {

struct Basis {
    Vec3 forward, right;
};

Basis basisOf(const TerrainView& view) {
    return {{std::sin(view.yaw), 0, std::cos(view.yaw)}, {std::cos(view.yaw), 0, -std::sin(view.yaw)}};
}

Vec3 normalAt(const HeightField& height, float x, float z, float eps) {
    const float dx = height(x + eps, z) - height(x - eps, z);
    const float dz = height(x, z + eps) - height(x, z - eps);
    return normalize({-dx, 2.0f * eps, -dz});
}

}  // namespace

Vec3 viewRay(const TerrainView& view, int width, int height, float px, float py) {
    const Basis b = basisOf(view);
    const float focal = view.focal * static_cast<float>(width);
    const float sx = (px - 0.5f * static_cast<float>(width)) / focal;
    const float sy = (view.horizonRow * static_cast<float>(height) - py) / focal;
    return normalize(b.forward + b.right * sx + Vec3{0, sy, 0});
}

std::vector<float> renderTerrain(Image& image, const TerrainView& view, const HeightField& height,
                                 const TerrainShader& shade) {
    const int w = image.width(), h = image.height();
    std::vector<float> depth(static_cast<size_t>(w) * h, -1.0f);
    const Basis b = basisOf(view);
    const float focal = view.focal * static_cast<float>(w);
    const float horizon = view.horizonRow * static_cast<float>(h);
    const float nearest = 0.05f;

    for (int px = 0; px < w; ++px) {
        const float sx = (static_cast<float>(px) + 0.5f - 0.5f * static_cast<float>(w)) / focal;
        const Vec3 ground = b.forward + b.right * sx;  // per unit of depth
        int lowest = h;                                // first row not yet painted from below
        float previousDepth = nearest, previousRow = static_cast<float>(h);
        for (float d = nearest; d < view.farDistance && lowest > 0;
             d += std::max(0.01f, d * view.stepGrowth)) {
            const float gx = view.eye.x + ground.x * d, gz = view.eye.z + ground.z * d;
            const float row = horizon - (height(gx, gz) - view.eye.y) * focal / d;
            if (row < static_cast<float>(lowest) - 0.5f) {
                const int top = std::max(0, static_cast<int>(std::ceil(row - 0.5f)));
                for (int py = lowest - 1; py >= top; --py) {
                    // Where between the two samples this row's ray meets the ground.
                    const float centre = static_cast<float>(py) + 0.5f;
                    const float span = previousRow - row;
                    const float t = span > 1e-6f ? clamp01((previousRow - centre) / span) : 1.0f;
                    const float hitDepth = previousDepth + (d - previousDepth) * t;
                    const float hx = view.eye.x + ground.x * hitDepth;
                    const float hz = view.eye.z + ground.z * hitDepth;
                    TerrainHit hit;
                    hit.point = {hx, height(hx, hz), hz};
                    // Wider slope samples far away act as the filtering a lens gives for free.
                    hit.normal = normalAt(height, hx, hz, std::max(0.004f, hitDepth * 0.0015f));
                    hit.viewDir = normalize(hit.point - view.eye);
                    hit.distance = length(hit.point - view.eye);
                    image.at(px, py) = shade(hit);
                    depth[static_cast<size_t>(py) * w + px] = hit.distance;
                }
                lowest = top;
            }
            previousDepth = d;
            previousRow = row;
        }
    }
    return depth;
}

float terrainShadow(const HeightField& height, Vec3 point, Vec3 toLight, float maxDistance,
                    int steps) {
    float lit = 1.0f;
    float t = 0.02f;
    const float growth = std::pow(maxDistance / t, 1.0f / static_cast<float>(steps));
    for (int i = 0; i < steps; ++i) {
        const Vec3 p = point + toLight * t;
        const float clearance = p.y - height(p.x, p.z);
        lit = std::min(lit, 12.0f * clearance / t);
        if (lit <= 0) return 0;
        t *= growth;
    }
    return clamp01(lit);
}

}  // namespace gen
