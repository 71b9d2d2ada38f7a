#pragma once
// Colour grading for the console. The show's pictures end up as 80 x 50
// characters in 16 colours under noise: muted colours turn into grey
// speckle there and gentle shading into one flat tone. A grade pushes the
// colours apart and the values away from the middle before the picture is
// written.
#include "tools/gen/pictures/picture_image.h"
#include "tools/gen/recipe.h"

namespace gen {

struct Grade {
    float saturation = 1.0f;  // chroma scale about each pixel's luma
    float contrast = 1.0f;    // value scale about the pivot
    float pivot = 0.5f;       // the value that contrast leaves in place
};

// "grade saturation contrast pivot"; no grade leaves the picture as painted.
Grade gradeFrom(const Recipe& recipe);

// Saturation first, then contrast, then every channel clamped to 0..1.
void applyGrade(Image& image, const Grade& grade);

}  // namespace gen
