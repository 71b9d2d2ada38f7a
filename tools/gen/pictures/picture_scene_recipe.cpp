#include "tools/gen/pictures/picture_scene_recipe.h"

namespace gen {

TerrainView cameraFrom(const Recipe& recipe, float farDistance) {
    const std::vector<double> camera = recipe.numbers("camera", 4);
    TerrainView view;
    view.eye = {0, static_cast<float>(camera[0]), 0};
    view.yaw = static_cast<float>(camera[1] * 3.14159265358979 / 180.0);
    view.horizonRow = static_cast<float>(camera[2]);
    view.focal = static_cast<float>(camera[3]);
    view.farDistance = farDistance;
    if (view.focal <= 0 || view.horizonRow < 0 || view.horizonRow > 1)
        recipe.fail("camera", "needs a positive focal length and a horizon row in 0..1");
    return view;
}

SkyLook cloudySkyFrom(const Recipe& recipe) {
    const std::vector<double> clouds = recipe.numbers("clouds", 4);
    SkyLook sky;
    sky.zenith = recipe.color("zenith");
    sky.horizon = recipe.color("horizon");
    sky.sunGlow = recipe.color("sun_glow");
    sky.cloudShadow = recipe.color("cloud_shadow");
    sky.cloudCover = static_cast<float>(clouds[0]);
    sky.cloudHeight = static_cast<float>(clouds[1]);
    sky.cloudScale = static_cast<float>(clouds[2]);
    sky.cloudStretch = static_cast<float>(clouds[3]);
    if (sky.cloudHeight <= 0 || sky.cloudScale <= 0 || sky.cloudStretch <= 0)
        recipe.fail("clouds", "needs a positive deck height, scale and stretch");
    return sky;
}

}  // namespace gen
