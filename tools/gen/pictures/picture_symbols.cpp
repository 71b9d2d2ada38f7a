#include "tools/gen/pictures/picture_symbols.h"

#include <cmath>
#include <functional>
#include <map>

namespace gen {

namespace {

constexpr float kPi = 3.14159265f;

// What a symbol puts at a point: solid strokes and softer filled areas.
struct Ink {
    float stroke = 0;
    float fill = 0;
};

// Distance fields, in symbol units (the picture height spans about 2).
struct Field {
    float pixel;   // one canvas pixel in symbol units, for antialiasing
    float weight;  // stroke widths are multiplied by this

    float line(float distance, float width) const {
        return clamp01(0.5f - (std::fabs(distance) - 0.5f * width * weight) / pixel);
    }
    float inside(float distance) const { return clamp01(0.5f - distance / pixel); }
};

float polarAngle(float x, float y) { return std::atan2(y, x); }

// Angle folded into one of `count` equal sectors, centred on 0.
float sectorAngle(float angle, int count) {
    const float sector = 2.0f * kPi / static_cast<float>(count);
    return angle - sector * std::round(angle / sector);
}

// Distance to an ellipse-ish petal lying along +x from `start` to `end`.
float petal(float x, float y, float start, float end, float width) {
    const float centre = 0.5f * (start + end), half = 0.5f * (end - start);
    const float u = (x - centre) / half, v = y / width;
    return (std::sqrt(u * u + v * v) - 1.0f) * std::min(half, width);
}

// Distance to a regular star with `points` tips, outer radius `outer` and inner radius `inner`.
float star(float x, float y, int points, float outer, float inner) {
    const float a = sectorAngle(polarAngle(x, y), points);
    const float r = std::sqrt(x * x + y * y);
    const float px = r * std::cos(std::fabs(a)), py = r * std::sin(std::fabs(a));
    // Edge from the tip (outer, 0) to the notch at half a sector.
    const float half = kPi / static_cast<float>(points);
    const float nx = inner * std::cos(half), ny = inner * std::sin(half);
    const float ex = nx - outer, ey = ny;
    const float t = clamp01(((px - outer) * ex + py * ey) / (ex * ex + ey * ey));
    const float dx = px - (outer + ex * t), dy = py - ey * t;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float side = (px - outer) * ey - py * ex;  // which side of the edge
    return side < 0 ? -d : d;
}

Ink mandala(float x, float y, const Field& f) {
    const float r = std::sqrt(x * x + y * y), a = polarAngle(x, y);
    Ink ink;
    for (float ring : {0.18f, 0.42f, 0.7f, 0.92f}) ink.stroke = std::max(ink.stroke, f.line(r - ring, 0.025f));
    const float a8 = sectorAngle(a, 8), a16 = sectorAngle(a + kPi / 16.0f, 16);
    const float inner = petal(r * std::cos(a8), r * std::sin(a8), 0.18f, 0.42f, 0.08f);
    const float outer = petal(r * std::cos(a16), r * std::sin(a16), 0.42f, 0.7f, 0.07f);
    ink.stroke = std::max({ink.stroke, f.line(inner, 0.022f), f.line(outer, 0.022f)});
    ink.fill = std::max(f.inside(inner), f.inside(outer)) * 0.6f;
    // A ring of beads between the two outer circles.
    const float a24 = sectorAngle(a, 24);
    const float bx = r * std::cos(a24) - 0.81f, by = r * std::sin(a24);
    ink.fill = std::max(ink.fill, f.inside(std::sqrt(bx * bx + by * by) - 0.05f));
    ink.stroke = std::max(ink.stroke, f.inside(r - 0.08f));
    return ink;
}

Ink crescent(float x, float y, const Field& f) {
    const float outer = std::sqrt(x * x + y * y) - 0.85f;
    const float cx = x - 0.38f, cy = y + 0.12f;
    const float bite = std::sqrt(cx * cx + cy * cy) - 0.72f;
    const float moon = std::max(outer, -bite);
    Ink ink;
    ink.fill = f.inside(moon);
    ink.stroke = f.line(moon, 0.03f);
    // Two small stars in the crescent's embrace.
    ink.fill = std::max(ink.fill, f.inside(star(x - 0.42f, y + 0.05f, 4, 0.16f, 0.04f)));
    ink.fill = std::max(ink.fill, f.inside(star(x - 0.12f, y - 0.45f, 4, 0.09f, 0.025f)));
    return ink;
}

Ink sunDisc(float x, float y, const Field& f) {
    const float r = std::sqrt(x * x + y * y), a = polarAngle(x, y);
    Ink ink;
    ink.fill = f.inside(r - 0.38f);
    ink.stroke = std::max(f.line(r - 0.45f, 0.03f), f.line(r - 0.24f, 0.02f));
    // Long and short rays in turn, tapering to points.
    const float a12 = sectorAngle(a, 12), a24 = sectorAngle(a + kPi / 12.0f, 12);
    const float longRay = star(r * std::cos(a12), r * std::sin(a12), 12, 0.98f, 0.5f);
    const float shortRay = star(r * std::cos(a24), r * std::sin(a24), 12, 0.72f, 0.5f);
    ink.stroke = std::max({ink.stroke, f.line(longRay, 0.025f), f.line(shortRay, 0.02f)});
    ink.fill = std::max({ink.fill, f.inside(longRay) * 0.55f, f.inside(shortRay) * 0.4f});
    return ink;
}

Ink eye(float x, float y, const Field& f) {
    // The almond: where two large circles overlap.
    const float up = std::sqrt(x * x + (y - 0.55f) * (y - 0.55f)) - 1.0f;
    const float down = std::sqrt(x * x + (y + 0.55f) * (y + 0.55f)) - 1.0f;
    const float almond = std::max(up, down);
    const float r = std::sqrt(x * x + y * y);
    Ink ink;
    ink.stroke = std::max({f.line(almond, 0.04f), f.line(r - 0.3f, 0.03f), f.inside(r - 0.13f)});
    ink.fill = f.inside(r - 0.3f) * 0.7f;
    // Rays fanning out above the lid.
    const float a = polarAngle(x, y);
    if (y > 0.3f) {
        const float a9 = sectorAngle(a - kPi / 2.0f, 18);
        const float ray = std::fabs(r * std::sin(a9)) - 0.012f;
        const float span = std::max(0.55f - r, r - 0.9f);
        ink.stroke = std::max(ink.stroke, f.inside(std::max(ray, span)) * (std::fabs(a - kPi / 2.0f) < 1.1f ? 1.0f : 0.0f));
    }
    // A tear line below, like the old painted eyes.
    const float tear = std::fabs(x + 0.1f) - 0.02f;
    ink.stroke = std::max(ink.stroke, f.inside(std::max(tear, std::max(y + 0.62f, -0.9f - y))));
    return ink;
}

Ink spiral(float x, float y, const Field& f) {
    const float r = std::sqrt(x * x + y * y), a = polarAngle(x, y);
    const float pitch = 0.19f;  // radius gained per turn
    // Distance to the nearest turn of r = pitch * (angle / 2pi + k).
    const float turns = r / pitch - (a + kPi) / (2.0f * kPi);
    const float nearest = (turns - std::round(turns)) * pitch;
    Ink ink;
    if (r < 0.92f) ink.stroke = f.line(nearest, 0.035f) * smoothstep(0.0f, 0.06f, r);
    ink.stroke = std::max(ink.stroke, f.line(r - 0.95f, 0.025f));
    ink.fill = f.inside(r - 0.95f) * 0.15f;
    return ink;
}

Ink eightStar(float x, float y, const Field& f) {
    const float big = star(x, y, 8, 0.95f, 0.42f);
    const float rx = x * 0.9238795f - y * 0.3826834f, ry = x * 0.3826834f + y * 0.9238795f;
    const float small = star(rx, ry, 8, 0.55f, 0.3f);
    const float r = std::sqrt(x * x + y * y);
    Ink ink;
    ink.stroke = std::max({f.line(big, 0.03f), f.line(small, 0.025f), f.line(r - 0.2f, 0.02f)});
    ink.fill = std::max(f.inside(big) * 0.45f, f.inside(small) * 0.8f);
    return ink;
}

Ink lotus(float x, float y, const Field& f) {
    Ink ink;
    // Petals fanned above a base line, the middle one tallest.
    const float angles[] = {-1.15f, -0.6f, 0.0f, 0.6f, 1.15f};
    const float lengths[] = {0.7f, 0.92f, 1.05f, 0.92f, 0.7f};
    for (int i = 0; i < 5; ++i) {
        const float c = std::cos(angles[i]), s = std::sin(angles[i]);
        // Rotate so the petal points along +x from the base at (0, -0.55).
        const float px = (y + 0.55f) * c + x * s, py = x * c - (y + 0.55f) * s;
        const float d = petal(px, py, 0.0f, lengths[i], 0.17f);
        ink.stroke = std::max(ink.stroke, f.line(d, 0.03f));
        ink.fill = std::max(ink.fill, f.inside(d) * (0.35f + 0.1f * static_cast<float>(i % 2)));
    }
    // Water lines under the flower.
    for (float row : {-0.68f, -0.8f}) {
        const float width = row < -0.7f ? 0.55f : 0.8f;
        ink.stroke = std::max(ink.stroke, f.inside(std::max(std::fabs(y - row) - 0.015f, std::fabs(x) - width)));
    }
    return ink;
}

using SymbolShape = Ink (*)(float, float, const Field&);

const std::map<std::string, SymbolShape>& shapes() {
    static const std::map<std::string, SymbolShape> table = {
        {"mandala", mandala}, {"crescent", crescent}, {"sun", sunDisc}, {"eye", eye},
        {"spiral", spiral},   {"star", eightStar},    {"lotus", lotus},
    };
    return table;
}

}  // namespace

void paintSymbol(const Recipe& recipe, Image& canvas, float pixelScale) {
    const std::string shapeName = recipe.text("shape");
    const auto found = shapes().find(shapeName);
    if (found == shapes().end()) recipe.fail("shape", "names no known symbol");
    const Color inner = recipe.color("inner");
    const Color outer = recipe.color("outer");
    const Color glowColor = recipe.color("glow_colour");
    const std::vector<double> glow = recipe.numbers("glow", 2);
    const float glowRadius = static_cast<float>(glow[0]) * pixelScale;

    // The symbol fills the height, less a border that leaves room for the glow.
    const float margin = std::ceil(glowRadius * 3.0f);
    const float unit = (static_cast<float>(canvas.height()) - 2.0f * margin) * 0.5f;
    const float weight = static_cast<float>(recipe.number("weight"));
    if (weight <= 0 || weight > 5) recipe.fail("weight", "must be in 0..5");
    const Field field{1.0f / unit, weight};
    Mask light(canvas.width(), canvas.height());
    const float cx = 0.5f * static_cast<float>(canvas.width()), cy = 0.5f * static_cast<float>(canvas.height());
    for (int py = 0; py < canvas.height(); ++py) {
        for (int px = 0; px < canvas.width(); ++px) {
            const float x = (static_cast<float>(px) + 0.5f - cx) / unit;
            const float y = (cy - static_cast<float>(py) - 0.5f) / unit;
            const Ink ink = found->second(x, y, field);
            const float r = std::sqrt(x * x + y * y);
            const Color tone = mix(inner, outer, clamp01(r));
            canvas.at(px, py) = tone * (ink.stroke + 0.45f * ink.fill * (1.0f - ink.stroke));
            light.at(px, py) = std::max(ink.stroke, 0.5f * ink.fill);
        }
    }
    addGlow(canvas, blurred(light, glowRadius), glowColor, static_cast<float>(glow[1]));
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            Color& c = canvas.at(x, y);
            if (c.r < 0.004f && c.g < 0.004f && c.b < 0.004f) c = Color{};
        }
    }
}

void paintFlare(const Recipe& recipe, Image& canvas, float /*pixelScale*/) {
    const Color core = recipe.color("core");
    const Color halo = recipe.color("halo");
    const float reach = static_cast<float>(recipe.number("reach"));  // share of half the width
    // Light rolls off softly toward `peak` instead of clipping at white.
    // Effects add flares onto each other and then add noise and loudness
    // with carries from one channel into the next; a core kept under white
    // survives that where a clipped one wraps round to black speckle.
    const float peak = recipe.has("peak") ? static_cast<float>(recipe.number("peak")) : 0.0f;
    if (recipe.has("peak") && (peak <= 0.0f || peak > 1.0f)) recipe.fail("peak", "must be above 0, up to 1");
    const auto rollOff = [peak](float v) { return peak > 0.0f ? peak * std::tanh(v / peak) : v; };
    const float half = 0.5f * static_cast<float>(canvas.width());
    for (int py = 0; py < canvas.height(); ++py) {
        for (int px = 0; px < canvas.width(); ++px) {
            const float x = (static_cast<float>(px) + 0.5f - half) / half;
            const float y = (static_cast<float>(py) + 0.5f - 0.5f * static_cast<float>(canvas.height())) / half;
            const float r = std::sqrt(x * x + y * y);
            // A window that reaches exact zero at `reach` keeps edges and corners black.
            const float window = 1.0f - smoothstep(0.35f * reach, reach, r);
            const float glow = std::exp(-r * r * 7.0f) * 1.1f + std::exp(-r * 3.5f) * 0.45f;
            const float streaks = (std::exp(-std::fabs(y) * 40.0f) + std::exp(-std::fabs(x) * 40.0f)) * 0.35f;
            const Color light = (core * std::exp(-r * r * 60.0f) + halo * (glow + streaks)) * (window * window);
            canvas.at(px, py) = {rollOff(light.r), rollOff(light.g), rollOff(light.b)};
        }
    }
}

}  // namespace gen
