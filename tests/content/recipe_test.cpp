#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tests/content/generated_files.h"
#include "tools/gen/recipe.h"

namespace {

using gen::Recipe;
using gen::RecipeError;

std::vector<Recipe> readText(const ScratchFolder& folder, const std::string& text) {
    return gen::readRecipes(folder.write("recipes.txt", text), "picture");
}

TEST(Recipes, ReadBlocksWithQuotedTextCommentsAndColours) {
    const ScratchFolder folder("recipe-read");
    const std::vector<Recipe> recipes = readText(folder,
        "# a comment line\n"
        "picture a.jpg text   # trailing comment\n"
        "    size 64 48\n"
        "    colour #ff8000\n"
        "    line #102030 0.5 Font.ttf \"two words\"\n"
        "    line #405060 0.25 Font.ttf \"XIII\"\n"
        "\n"
        "picture b.jpg flare\n"
        "\treach 0.9\n");
    ASSERT_EQ(recipes.size(), 2u);
    const Recipe& a = recipes[0];
    EXPECT_EQ(std::tuple(a.name, a.kind, a.line), std::tuple("a.jpg", "text", 2));
    EXPECT_EQ(a.numbers("size", 2), (std::vector<double>{64, 48}));
    const gen::Color c = a.color("colour");
    EXPECT_FLOAT_EQ(c.r, 1.0f);
    EXPECT_FLOAT_EQ(c.g, 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.b, 0.0f);
    const auto lines = a.all("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], (std::vector<std::string>{"#102030", "0.5", "Font.ttf", "two words"}));
    EXPECT_EQ(lines[1][3], "XIII");
    EXPECT_FALSE(a.has("reach"));
    EXPECT_DOUBLE_EQ(recipes[1].number("reach"), 0.9);
}

TEST(Recipes, ReportFileLineAndKeyForBadValues) {
    const ScratchFolder folder("recipe-bad");
    const std::vector<Recipe> recipes = readText(folder,
        "picture a.jpg flare\n"
        "    size 64 x\n"
        "    seed 1.5\n"
        "    colour #12345\n"
        "    shade #12345g\n");
    const Recipe& r = recipes[0];
    const auto messageOf = [](auto call) {
        try {
            call();
        } catch (const RecipeError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string missing = messageOf([&] { r.number("reach"); });
    EXPECT_NE(missing.find("recipes.txt:1: a.jpg: \"reach\" is missing"), std::string::npos) << missing;
    EXPECT_NE(messageOf([&] { r.numbers("size", 2); }).find("bad number \"x\""), std::string::npos);
    EXPECT_NE(messageOf([&] { r.numbers("size", 3); }).find("needs 3"), std::string::npos);
    EXPECT_NE(messageOf([&] { r.integer("seed"); }).find("whole number"), std::string::npos);
    EXPECT_NE(messageOf([&] { r.color("colour"); }).find("#rrggbb"), std::string::npos);
    EXPECT_NE(messageOf([&] { r.color("shade"); }).find("bad colour"), std::string::npos);
}

TEST(Recipes, RejectMisplacedLinesAndMissingFiles) {
    const ScratchFolder folder("recipe-structure");
    EXPECT_THROW(readText(folder, "    size 1 2\n"), RecipeError);
    EXPECT_THROW(readText(folder, "mesh a.obj asteroid\n"), RecipeError);  // another section
    EXPECT_THROW(readText(folder, "picture a.jpg\n"), RecipeError);        // no kind
    EXPECT_THROW(readText(folder, "picture a.jpg flare x\n"), RecipeError);
    EXPECT_THROW(gen::readRecipes((folder / "absent.txt").string(), "picture"), RecipeError);
}

}  // namespace
