#pragma once
// Bright ornamental symbols and the light flare, drawn from distance
// functions on black.
#include "tools/gen/pictures/picture_image.h"
#include "tools/gen/recipe.h"

namespace gen {

// One of the goddess ornaments; the recipe's "shape" picks which.
void paintSymbol(const Recipe& recipe, Image& canvas, float pixelScale);

// A soft round flare that falls to exact black well inside the picture's edge.
void paintFlare(const Recipe& recipe, Image& canvas, float pixelScale);

}  // namespace gen
