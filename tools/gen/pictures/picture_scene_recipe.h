#pragma once
// Values that several scenes read from their recipes in the same way.
#include "tools/gen/pictures/picture_sky.h"
#include "tools/gen/pictures/picture_terrain.h"
#include "tools/gen/recipe.h"

namespace gen {

// "camera": eye height, heading in degrees, horizon row and focal length.
TerrainView cameraFrom(const Recipe& recipe, float farDistance);

// "zenith", "horizon", "sun_glow", "cloud_shadow" and "clouds" (cover,
// deck height, pattern scale, stretch). The sun's place is the scene's.
SkyLook cloudySkyFrom(const Recipe& recipe);

}  // namespace gen
