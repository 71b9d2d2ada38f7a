#pragma once
// The five photograph-like scenes. Each paints the whole canvas (which may
// be a supersampled one: `pixelScale` canvas pixels make one picture pixel)
// from its recipe.
#include "tools/gen/pictures/picture_image.h"
#include "tools/gen/recipe.h"

namespace gen {

void paintMountains(const Recipe& recipe, Image& canvas, float pixelScale);
void paintSea(const Recipe& recipe, Image& canvas, float pixelScale);
void paintDesert(const Recipe& recipe, Image& canvas, float pixelScale);
void paintAurora(const Recipe& recipe, Image& canvas, float pixelScale);
void paintCrystals(const Recipe& recipe, Image& canvas, float pixelScale);

}  // namespace gen
