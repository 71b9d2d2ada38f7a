// generateMeshes: the three asteroids, from the shapes in meshes.txt.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/gen/generator.h"
#include "tools/gen/meshes/mesh_asteroid.h"
#include "tools/gen/recipe.h"

namespace gen {
namespace {

AsteroidShape shapeFrom(const Recipe& recipe) {
    if (recipe.kind != "asteroid")
        throw RecipeError(recipe.file + ":" + std::to_string(recipe.line) + ": unknown mesh kind \"" +
                          recipe.kind + "\"");
    AsteroidShape shape;
    shape.seed = static_cast<std::uint64_t>(recipe.integer("seed"));
    shape.subdivisions = recipe.integer("subdivisions");
    if (shape.subdivisions < 1 || shape.subdivisions > 4)
        recipe.fail("subdivisions", "must be 1..4");
    shape.boundingRadius = static_cast<float>(recipe.number("radius"));
    const std::vector<double> stretch = recipe.numbers("stretch", 3);
    shape.stretch = {static_cast<float>(stretch[0]), static_cast<float>(stretch[1]),
                     static_cast<float>(stretch[2])};
    if (shape.boundingRadius <= 0 || stretch[0] <= 0 || stretch[1] <= 0 || stretch[2] <= 0)
        recipe.fail("radius", "and stretch must be positive");
    const std::vector<double> lumps = recipe.numbers("lumps", 3);
    shape.lumpAmount = static_cast<float>(lumps[0]);
    shape.lumpFrequency = static_cast<float>(lumps[1]);
    shape.lumpOctaves = static_cast<int>(lumps[2]);
    const std::vector<double> craters = recipe.numbers("craters", 4);
    shape.craterCount = static_cast<int>(craters[0]);
    shape.craterMinSize = static_cast<float>(craters[1]);
    shape.craterMaxSize = static_cast<float>(craters[2]);
    shape.craterDepth = static_cast<float>(craters[3]);
    return shape;
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) std::fprintf(stderr, "vesper-gen: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace
}  // namespace gen

bool generateMeshes(const std::string& dataDir, const std::string& showDir) {
    try {
        const std::vector<gen::Recipe> recipes = gen::readRecipes(dataDir + "/meshes.txt", "mesh");
        for (const gen::Recipe& recipe : recipes) {
            const gen::MeshData mesh = gen::makeAsteroid(gen::shapeFrom(recipe));
            if (!gen::writeText(showDir + "/" + recipe.name,
                           gen::formatObj(mesh, recipe.name + ", made by vesper-gen")))
                return false;
            std::printf("vesper-gen: %s (%zu vertices, %zu faces)\n", recipe.name.c_str(),
                        mesh.positions.size(), mesh.faces.size());
            std::fflush(stdout);
        }
        return true;
    } catch (const gen::RecipeError& error) {
        std::fprintf(stderr, "vesper-gen: %s\n", error.what());
        return false;
    }
}
