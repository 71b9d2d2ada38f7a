#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>

#include "tests/content/generated_files.h"
#include "tools/gen/generator.h"
#include "tools/gen/noise.h"
#include "tools/gen/pictures/picture_grade.h"
#include "tools/gen/pictures/picture_image.h"
#include "tools/gen/seeded_random.h"

namespace {

TEST(GradientNoise, SameSeedSameFieldAndValuesStayInRange) {
    const gen::GradientNoise a(7), b(7), c(8);
    float low = 0, high = 0;
    int differences = 0;
    for (int i = 0; i < 2000; ++i) {
        const float x = i * 0.173f - 80.0f, y = i * 0.311f - 200.0f;
        ASSERT_EQ(a.fbm(x, y, 6), b.fbm(x, y, 6));
        const float v = a.fbm(x, y, 6);
        low = std::min(low, v);
        high = std::max(high, v);
        if (a.at(x, y) != c.at(x, y)) ++differences;
        const float r = a.ridged(x, y, 5);
        ASSERT_TRUE(r >= 0.0f && r <= 1.0f) << r;
    }
    EXPECT_GT(differences, 1500);
    double sum = 0;
    for (int i = 0; i < 4000; ++i) {
        const float h = gen::hashUnit(i, -3 * i, 9u);
        ASSERT_TRUE(h >= 0.0f && h < 1.0f) << h;
        sum += h;
    }
    EXPECT_NEAR(sum / 4000, 0.5, 0.03);
    EXPECT_TRUE(low < -0.3f && low > -1.6f) << low;
    EXPECT_TRUE(high > 0.3f && high < 1.6f) << high;
}

TEST(PictureImage, DownsampleAveragesBlocksAndBlurKeepsTheLightAndSpreadsItBothWays) {
    gen::Image image(4, 2);
    for (int x = 0; x < 4; ++x) image.at(x, 0).r = image.at(x, 1).g = static_cast<float>(x);
    const gen::Image half = gen::downsample(image, 2);
    ASSERT_EQ(half.width(), 2);
    EXPECT_FLOAT_EQ(half.at(1, 0).r, 1.25f);  // (2 + 3 + 0 + 0) / 4
    EXPECT_FLOAT_EQ(half.at(1, 0).g, 1.25f);

    gen::Mask point(21, 21);
    point.at(10, 10) = 1.0f;
    const gen::Mask spread = gen::blurred(point, 2.0f);
    float total = 0;
    for (float v : spread.values) total += v;
    EXPECT_NEAR(total, 1.0f, 1e-4f);
    EXPECT_GT(spread.at(13, 10), 0.01f);
    EXPECT_FLOAT_EQ(spread.at(13, 10), spread.at(10, 13));
}

gen::Image onePixel(gen::Color c) {
    gen::Image image(1, 1);
    image.at(0, 0) = c;
    return image;
}

void expectColor(const gen::Image& image, gen::Color expected) {
    EXPECT_NEAR(image.at(0, 0).r, expected.r, 1e-5f);
    EXPECT_NEAR(image.at(0, 0).g, expected.g, 1e-5f);
    EXPECT_NEAR(image.at(0, 0).b, expected.b, 1e-5f);
}

TEST(PictureGrade, SaturationScalesChromaAboutLumaAndContrastAboutThePivot) {
    // A grey has no chroma: saturation leaves it, contrast moves it away
    // from the pivot.
    gen::Image grey = onePixel({0.6f, 0.6f, 0.6f});
    gen::applyGrade(grey, {3.0f, 1.0f, 0.5f});
    expectColor(grey, {0.6f, 0.6f, 0.6f});
    gen::applyGrade(grey, {1.0f, 2.0f, 0.5f});
    expectColor(grey, {0.7f, 0.7f, 0.7f});
    gen::Image dark = onePixel({0.2f, 0.2f, 0.2f});
    gen::applyGrade(dark, {1.0f, 1.5f, 0.4f});
    expectColor(dark, {0.1f, 0.1f, 0.1f});

    // Luma 0.299 * 0.5 + 0.587 * 0.3 + 0.114 * 0.1 = 0.337: twice the
    // saturation doubles each channel's distance from it.
    gen::Image colour = onePixel({0.5f, 0.3f, 0.1f});
    gen::applyGrade(colour, {2.0f, 1.0f, 0.5f});
    expectColor(colour, {0.663f, 0.263f, 0.0f});  // blue clamped from -0.137

    // Everything ends inside 0..1, also light painted above 1.
    gen::Image hot = onePixel({1.8f, 0.9f, -0.2f});
    gen::applyGrade(hot, {1.0f, 1.0f, 0.5f});
    expectColor(hot, {1.0f, 0.9f, 0.0f});
}

TEST(PictureGrade, ComesFromTheRecipeAndRejectsNonsense) {
    const ScratchFolder folder("grade");
    folder.write("pictures.txt",
                 "picture a.jpg flare\n    grade 1.5 2 0.3\n"
                 "picture b.jpg flare\n    size 8 8\n");
    const std::vector<gen::Recipe> recipes = gen::readRecipes((folder / "pictures.txt").string(), "picture");
    ASSERT_EQ(recipes.size(), 2u);
    const gen::Grade grade = gen::gradeFrom(recipes[0]);
    EXPECT_EQ(std::tuple(grade.saturation, grade.contrast, grade.pivot), std::tuple(1.5f, 2.0f, 0.3f));
    const gen::Grade none = gen::gradeFrom(recipes[1]);
    EXPECT_EQ(std::pair(none.saturation, none.contrast), std::pair(1.0f, 1.0f));

    for (const char* bad : {"grade 1 0 0.5", "grade -1 1 0.5", "grade 1 1 1.5", "grade 1 1"}) {
        folder.write("bad.txt", std::string("picture c.jpg flare\n    ") + bad + "\n");
        const auto parsed = gen::readRecipes((folder / "bad.txt").string(), "picture");
        ASSERT_EQ(parsed.size(), 1u);
        EXPECT_THROW(gen::gradeFrom(parsed[0]), gen::RecipeError) << bad;
    }
}

// Text too wide for its picture is squeezed inside the glow margin rather
// than cut at the edge, so the card stays on black.
TEST(TextPictures, OverlongLinesAreSqueezedInsideTheBorder) {
    const ScratchFolder folder("text-squeeze");
    folder.write("pictures.txt",
                 "picture wide.jpg text\n"
                 "    size 120 40\n"
                 "    fonts /usr/share/fonts/truetype/dejavu\n"
                 "    stretch 2\n"
                 "    tracking 0.2\n"
                 "    glow 3 1.2\n"
                 "    glow_colour #ff8000\n"
                 "    line #ffffff 0.8 DejaVuSans-Bold.ttf \"a very long line of glowing text\"\n");
    ASSERT_TRUE(generatePictures(folder.path().string(), resourcesOf(folder)));
    const DecodedPicture p = decodeJpeg((folder / "resources" / "wide.jpg").string());
    ASSERT_TRUE(p.valid());
    EXPECT_LE(p.brightestOnBorder(), 4);
    EXPECT_GE(p.brightestAnywhere(), 200);
}

}  // namespace
