// generatePictures: every picture of pictures.txt, painted by its kind and
// written as a JPEG.
#include <cstdio>
#include <map>
#include <string>

#include "tools/gen/generator.h"
#include "tools/gen/pictures/picture_grade.h"
#include "tools/gen/pictures/picture_jpeg.h"
#include "tools/gen/pictures/picture_scenes.h"
#include "tools/gen/pictures/picture_symbols.h"
#include "tools/gen/pictures/picture_text.h"
#include "tools/gen/recipe.h"

namespace gen {
namespace {

using Painter = void (*)(const Recipe&, Image&, float);

const std::map<std::string, Painter>& painters() {
    static const std::map<std::string, Painter> table = {
        {"mountains", paintMountains}, {"sea", paintSea},         {"desert", paintDesert},
        {"aurora", paintAurora},       {"crystals", paintCrystals}, {"text", paintText},
        {"symbol", paintSymbol},       {"flare", paintFlare},
    };
    return table;
}

Image paint(const Recipe& recipe) {
    const auto found = painters().find(recipe.kind);
    if (found == painters().end())
        throw RecipeError(recipe.file + ":" + std::to_string(recipe.line) +
                          ": unknown picture kind \"" + recipe.kind + "\"");
    const std::vector<double> size = recipe.numbers("size", 2);
    const int supersample = recipe.has("supersample") ? recipe.integer("supersample") : 1;
    if (size[0] < 8 || size[1] < 8 || size[0] > 2048 || size[1] > 2048 || supersample < 1 ||
        supersample > 4)
        recipe.fail("size", "must be 8..2048 (and supersample 1..4)");
    const int width = static_cast<int>(size[0]), height = static_cast<int>(size[1]);
    Image canvas(width * supersample, height * supersample);
    found->second(recipe, canvas, static_cast<float>(supersample));
    Image picture = supersample > 1 ? downsample(canvas, supersample) : canvas;
    if (recipe.has("grade")) applyGrade(picture, gradeFrom(recipe));
    return picture;
}

}  // namespace
}  // namespace gen

bool generatePictures(const std::string& dataDir, const std::string& resourcesDir) {
    using gen::Recipe;
    try {
        const std::vector<Recipe> recipes = gen::readRecipes(dataDir + "/pictures.txt", "picture");
        int done = 0;
        for (const Recipe& recipe : recipes) {
            const gen::Image image = gen::paint(recipe);
            const int quality = recipe.has("quality") ? recipe.integer("quality") : 90;
            if (!gen::writeJpeg(image, resourcesDir + "/" + recipe.name, quality)) return false;
            std::printf("vesper-gen: picture %d/%zu %s\n", ++done, recipes.size(),
                        recipe.name.c_str());
            std::fflush(stdout);
        }
        return true;
    } catch (const gen::RecipeError& error) {
        std::fprintf(stderr, "vesper-gen: %s\n", error.what());
        return false;
    }
}
