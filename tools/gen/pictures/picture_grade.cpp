#include "tools/gen/pictures/picture_grade.h"

namespace gen {

Grade gradeFrom(const Recipe& recipe) {
    Grade grade;
    if (!recipe.has("grade")) return grade;
    const std::vector<double> values = recipe.numbers("grade", 3);
    if (values[0] < 0 || values[0] > 4 || values[1] <= 0 || values[1] > 4 || values[2] < 0 ||
        values[2] > 1)
        recipe.fail("grade", "needs saturation 0..4, contrast above 0 up to 4 and a pivot in 0..1");
    grade.saturation = static_cast<float>(values[0]);
    grade.contrast = static_cast<float>(values[1]);
    grade.pivot = static_cast<float>(values[2]);
    return grade;
}

void applyGrade(Image& image, const Grade& grade) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            Color& c = image.at(x, y);
            const float luma = 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
            const Color grey{luma, luma, luma};
            c = mix(grey, c, grade.saturation);
            const auto stretch = [&](float v) {
                return clamp01(grade.pivot + (v - grade.pivot) * grade.contrast);
            };
            c = {stretch(c.r), stretch(c.g), stretch(c.b)};
        }
    }
}

}  // namespace gen
