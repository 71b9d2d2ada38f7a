// A desert at dusk under a ringed planet: wind-shaped dunes with sharp slip
// faces raking in the low sun, stars coming out, and a banded giant whose
// rings cross in front of it.
#include <cmath>

#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_scene_recipe.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/pictures/picture_sky.h"
#include "tools/gen/pictures/picture_terrain.h"

namespace gen {

namespace {

// One ridge of sand: a long windward slope up, a short steep slip face down.
float duneProfile(float u) {
    const float f = u - std::floor(u);
    const float rising = smoothstep(0.0f, 0.72f, f);
    const float falling = 1.0f - smoothstep(0.72f, 1.0f, f);
    return f < 0.72f ? rising : falling;
}

struct Dunes {
    const GradientNoise& noise;
    float height, frequency;

    float at(float x, float z) const {
        const float warpX = 2.2f * noise.fbm(x * 0.04f, z * 0.04f, 3);
        const float u = (z + 0.35f * x) * frequency + warpX;
        const float main = duneProfile(u) * (0.6f + 0.4f * noise.fbm(x * 0.03f + 4.0f, z * 0.03f, 3));
        const float cross = duneProfile((x - 0.6f * z) * frequency * 1.7f + warpX * 1.3f + 0.3f);
        const float swell = 0.5f + 0.5f * noise.fbm(x * 0.012f, z * 0.012f, 2);
        return height * (main * 0.8f + cross * 0.25f) * (0.5f + swell);
    }
};

struct Planet {
    float centreX, centreY, radius;  // in canvas pixels
    Vec3 ringNormal;
    Vec3 toSun;                      // in the planet's screen frame: x right, y up, z to the eye
    Color bandA, bandB, ringColor;
};

// Colour and coverage of the planet and its rings at a canvas pixel.
Color planetOver(const Planet& planet, const GradientNoise& noise, Color background, float px, float py) {
    const float x = (px - planet.centreX) / planet.radius;
    const float y = (planet.centreY - py) / planet.radius;
    const Vec3 n = planet.ringNormal;
    const float ringZ = -(n.x * x + n.y * y) / n.z;
    const float ringRadius = std::sqrt(x * x + y * y + ringZ * ringZ);
    const float r2 = x * x + y * y;

    Color c = background;
    auto ringLayer = [&](Color under) {
        if (ringRadius < 1.3f || ringRadius > 2.35f) return under;
        const float bands = 0.55f + 0.45f * noise.at(ringRadius * 38.0f, 0.5f) +
                            0.2f * noise.at(ringRadius * 110.0f, 3.5f);
        const float gap = smoothstep(0.015f, 0.04f, std::fabs(ringRadius - 1.86f));
        const float edges = smoothstep(1.3f, 1.36f, ringRadius) * (1.0f - smoothstep(2.25f, 2.35f, ringRadius));
        const float opacity = clamp01(bands * gap * edges * 0.85f);
        // The planet's shadow falls across the rings behind it.
        const Vec3 p{x, y, ringZ};
        const float along = dot(p, planet.toSun);
        const Vec3 off = p - planet.toSun * along;
        const float shadow = (along < 0 && length(off) < 1.0f) ? 0.25f : 1.0f;
        return mix(under, planet.ringColor * (0.6f + 0.5f * bands) * shadow, opacity);
    };
    if (r2 < 1.0f) {
        const float z = std::sqrt(1.0f - r2);
        const Vec3 s{x, y, z};
        const float latitude = dot(s, n);  // bands run parallel to the rings' plane
        const float band = 0.5f + 0.5f * std::sin(latitude * 23.0f + 1.2f * noise.fbm(latitude * 5.0f, s.x * 0.8f, 4));
        Color surface = mix(planet.bandA, planet.bandB, band);
        surface = surface * (0.9f + 0.15f * noise.fbm(s.x * 4.0f, latitude * 30.0f, 3));
        const float light = smoothstep(-0.08f, 0.35f, dot(s, planet.toSun));
        const float limb = 0.55f + 0.45f * z;
        Color disc = surface * (light * limb) + background * 0.15f;
        disc += Color{0.45f, 0.55f, 0.8f} * (0.35f * std::pow(1.0f - z, 3.0f) * light);
        const float edge = 1.0f - smoothstep(0.985f, 1.0f, std::sqrt(r2));
        c = mix(c, disc, edge);
        // Only the part of the ring in front of the disc shows over it.
        return ringZ > z ? ringLayer(c) : c;
    }
    // A thin haze of atmosphere just outside the limb.
    const float rim = std::exp(-(std::sqrt(r2) - 1.0f) * 40.0f);
    c += Color{0.35f, 0.45f, 0.7f} * (0.25f * rim * smoothstep(-0.2f, 0.4f, (x * planet.toSun.x + y * planet.toSun.y)));
    return ringLayer(c);
}

}  // namespace

void paintDesert(const Recipe& recipe, Image& canvas, float pixelScale) {
    const GradientNoise noise(static_cast<std::uint64_t>(recipe.integer("seed")));
    const std::vector<double> sunAngles = recipe.numbers("sun", 2);
    const std::vector<double> dunes = recipe.numbers("dunes", 2);       // height frequency
    const std::vector<double> planetPlace = recipe.numbers("planet", 3);  // x y radius, shares of width/height
    const std::vector<double> ringTilt = recipe.numbers("ring_normal", 3);

    SkyLook sky;
    sky.zenith = recipe.color("zenith");
    sky.horizon = recipe.color("horizon");
    sky.sunGlow = recipe.color("sun_glow");
    sky.toSun = directionFromDegrees(sunAngles[0], sunAngles[1]);
    const Color sunLight = recipe.color("sun_light");
    const Color sand = recipe.color("sand");

    const TerrainView view = cameraFrom(recipe, 220);

    const Dunes field{noise, static_cast<float>(dunes[0]), static_cast<float>(dunes[1])};
    const HeightField height = [&](float x, float z) { return field.at(x, z); };

    const TerrainShader shade = [&](const TerrainHit& hit) {
        const Vec3 p = hit.point;
        // Wind ripples only bend the light; they are too fine to be geometry.
        const float ripple = std::sin((p.z * 1.0f + p.x * 0.5f) * 18.0f + 6.0f * noise.fbm(p.x * 0.7f, p.z * 0.7f, 3));
        const float fade = 1.0f / (1.0f + hit.distance * 0.15f);
        const Vec3 n = normalize(hit.normal + Vec3{ripple * 0.1f * fade, 0.0f, ripple * 0.2f * fade});
        const float direct = std::max(0.0f, dot(n, sky.toSun));
        const float shadow = direct > 0 ? terrainShadow(height, p, sky.toSun, 25.0f, 14) : 0.0f;
        const float speckle = noise.fbm(p.x * 6.0f, p.z * 6.0f, 4);
        const Color albedo = sand * (0.82f + 0.2f * noise.fbm(p.x * 0.5f, p.z * 0.5f, 3) + 0.14f * speckle);
        // Sky light from above and the afterglow from the sun's side keep shaded slopes readable.
        const Color ambient = mix(sky.horizon, sky.zenith, 0.5f) * (0.3f + 0.55f * n.y) +
                              sky.sunGlow * (0.12f * std::max(0.0f, n.x * sky.toSun.x + n.z * sky.toSun.z + 0.3f));
        Color c = albedo * (sunLight * (1.7f * direct * shadow) + ambient);
        const float haze = 1.0f - std::exp(-hit.distance * 0.01f);
        return mix(c, skyGradient(sky, hit.viewDir), haze);
    };
    const std::vector<float> depth = renderTerrain(canvas, view, height, shade);

    const float w = static_cast<float>(canvas.width()), h = static_cast<float>(canvas.height());
    Planet planet;
    planet.centreX = static_cast<float>(planetPlace[0]) * w;
    planet.centreY = static_cast<float>(planetPlace[1]) * h;
    planet.radius = static_cast<float>(planetPlace[2]) * w;
    planet.ringNormal = normalize({static_cast<float>(ringTilt[0]), static_cast<float>(ringTilt[1]),
                                   static_cast<float>(ringTilt[2])});
    if (std::fabs(planet.ringNormal.z) < 0.05f) recipe.fail("ring_normal", "must not lie in the picture plane");
    planet.toSun = normalize({std::sin(static_cast<float>(sunAngles[0] * 3.14159265358979 / 180.0)),
                              0.25f, 0.35f});
    planet.bandA = recipe.color("planet_a");
    planet.bandB = recipe.color("planet_b");
    planet.ringColor = recipe.color("rings");
    const std::uint32_t starSeed = static_cast<std::uint32_t>(recipe.integer("seed")) * 3u + 7u;

    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (depth[static_cast<size_t>(y) * canvas.width() + x] >= 0) continue;
            const Vec3 dir = viewRay(view, canvas.width(), canvas.height(), x + 0.5f, y + 0.5f);
            Color c = skyGradient(sky, dir);
            c += starsAt(x / pixelScale, y / pixelScale, 0.06f, starSeed) * smoothstep(0.05f, 0.45f, dir.y);
            canvas.at(x, y) = planetOver(planet, noise, c, x + 0.5f, y + 0.5f);
        }
    }
}

}  // namespace gen
