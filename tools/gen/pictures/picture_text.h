#pragma once
// Glowing text on black, rendered with FreeType from the DejaVu fonts: the
// title cards and the credits.
#include "tools/gen/pictures/picture_image.h"
#include "tools/gen/recipe.h"

namespace gen {

// Lines of text stacked and centred in the picture, each in its own font,
// size and colour, with a coloured glow. Everything outside the glow stays
// exactly black.
void paintText(const Recipe& recipe, Image& canvas, float pixelScale);

}  // namespace gen
