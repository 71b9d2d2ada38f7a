#pragma once
// Heightfield landscapes, drawn column by column front to back: each screen
// column walks away from the eye over the ground and paints the rows that a
// new ridge lifts above everything nearer. Far cheaper than marching every
// pixel's ray, and exact enough for a 640 x 480 picture.
#include <functional>
#include <vector>

#include "tools/gen/pictures/picture_image.h"

namespace gen {

using HeightField = std::function<float(float x, float z)>;

struct TerrainView {
    Vec3 eye;                      // world position of the camera
    float yaw = 0;                 // heading in radians, 0 looks along +z
    float horizonRow = 0.6f;       // share of the image height where the horizon sits
    float focal = 0.8f;            // focal length as a share of the image width
    float farDistance = 200.0f;
    float stepGrowth = 0.004f;     // each step is this share of the distance walked
};

struct TerrainHit {
    Vec3 point;
    Vec3 normal;      // unit, from the heightfield's slope
    Vec3 viewDir;     // unit, from the eye to the point
    float distance;   // along the view ray
};

using TerrainShader = std::function<Color(const TerrainHit&)>;

// Paints every pixel the ground covers and returns, per pixel, the distance
// to the ground (or a negative value where the ray reaches the sky).
std::vector<float> renderTerrain(Image& image, const TerrainView& view, const HeightField& height,
                                 const TerrainShader& shade);

// The direction of the ray through pixel centre (px, py) of the view.
Vec3 viewRay(const TerrainView& view, int width, int height, float px, float py);

// Soft shadow factor (0 dark .. 1 lit) for a ground point under a light in
// direction `toLight`, by stepping toward the light over the heightfield.
float terrainShadow(const HeightField& height, Vec3 point, Vec3 toLight, float maxDistance,
                    int steps);

}  // namespace gen
