#pragma once
// Skies: a gradient lit by a low sun, a deck of clouds seen in perspective,
// and stars.
#include <cstdint>

#include "tools/gen/gen_math.h"
#include "tools/gen/noise.h"

namespace gen {

struct SkyLook {
    Color zenith;          // straight up
    Color horizon;         // at the horizon, away from the sun
    Color sunGlow;         // the horizon toward the sun, and the sun's light on clouds
    Vec3 toSun{0, 0.1f, 1};
    float sunSize = 0;     // angular radius of the disc in radians, 0 hides it
    float cloudCover = 0;  // 0 none .. 1 overcast
    float cloudHeight = 1;  // height of the cloud deck above the eye
    float cloudScale = 1;  // size of the cloud pattern on the deck
    float cloudStretch = 1;  // > 1 draws streaks across the view
    Color cloudShadow;     // underside of thick cloud
};

// A unit direction from recipe angles in degrees: azimuth 0 looks along +z,
// 90 along +x; elevation above the horizon.
Vec3 directionFromDegrees(double azimuth, double elevation);

// Colour seen along a unit direction (rays below the horizon see the horizon).
Color skyColor(const SkyLook& sky, const GradientNoise& noise, Vec3 dir);

// Just the gradient and sun, without clouds (for haze and reflections far off).
Color skyGradient(const SkyLook& sky, Vec3 dir);

// Star light at pixel (x, y) of a picture: sparse points of varied brightness
// and tint, a little soft so they survive the downsampling.
Color starsAt(float x, float y, float density, std::uint32_t seed);

}  // namespace gen
