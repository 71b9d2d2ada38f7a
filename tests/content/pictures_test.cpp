#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/content/generated_files.h"
#include "tools/gen/generator.h"

namespace {

std::string showPicture(const std::string& name) { return kShowResources + "/" + name; }

// Luma of pixel (x, y), 0..255.
double luma(const DecodedPicture& p, int x, int y) {
    const unsigned char* c = p.at(x, y);
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
}

struct Spread {
    double mean = 0;
    double deviation = 0;
};

template <typename Value>
Spread spreadOver(int x0, int y0, int width, int height, Value value) {
    double sum = 0, squares = 0;
    for (int y = y0; y < y0 + height; ++y) {
        for (int x = x0; x < x0 + width; ++x) {
            const double v = value(x, y);
            sum += v;
            squares += v * v;
        }
    }
    const double n = static_cast<double>(width) * height;
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, squares / n - mean * mean))};
}

class PhotoTest : public ::testing::TestWithParam<const char*> {};

TEST_P(PhotoTest, Is640By480WithDetailAndLightInEveryTile) {
    const DecodedPicture p = decodeJpeg(showPicture(GetParam()));
    ASSERT_TRUE(p.valid()) << GetParam() << " is missing or unreadable; build the content target";
    ASSERT_EQ(std::pair(p.width, p.height), std::pair(640, 480));
    // Effects cut windows anywhere: no 80 x 80 tile may be flat or black.
    for (int ty = 0; ty < 480; ty += 80) {
        for (int tx = 0; tx < 640; tx += 80) {
            const Spread s = spreadOver(tx, ty, 80, 80, [&](int x, int y) { return luma(p, x, y); });
            EXPECT_GT(s.mean, 10.0) << "dark tile at " << tx << "," << ty;
            EXPECT_GT(s.deviation, 2.0) << "flat tile at " << tx << "," << ty;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Photos, PhotoTest,
                         ::testing::Values("kuva1.jpg", "kuva4.jpg", "kuva20.jpg", "kuva24.jpg",
                                           "kuva25.jpg"));

// Horizontal bands of rows that hold any light, as (first row, height).
std::vector<std::pair<int, int>> litBands(const DecodedPicture& p, int threshold) {
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < p.height; ++y) {
        bool lit = false;
        for (int x = 0; x < p.width && !lit; ++x) lit = p.brightest(x, y) > threshold;
        if (!lit) continue;
        if (!bands.empty() && bands.back().first + bands.back().second == y)
            ++bands.back().second;
        else
            bands.push_back({y, 1});
    }
    return bands;
}

// Titles, symbols and credits are light added over the scene: a lit edge
// would show as a seam, a dim card as nothing. Each fits the frame from
// where it is drawn.
TEST(Pictures, OverlaysGlowOnBlackAndFitTheFrame) {
    struct Overlay {
        std::string name;
        int maxWidth, maxHeight, minWidth;
    };
    std::vector<Overlay> overlays = {{"alku1.jpg", 310, 180, 1}, {"alku2.jpg", 280, 150, 1},
                                     {"alku3.jpg", 300, 70, 1},  {"alku4.jpg", 310, 130, 1},
                                     {"credits1.jpg", 320, 1 << 20, 1}, {"credits2.jpg", 320, 1 << 20, 1}};
    for (int i = 1; i <= 7; ++i) overlays.push_back({"goddess" + std::to_string(i) + ".jpg", 220, 199, 120});
    for (const Overlay& o : overlays) {
        const DecodedPicture p = decodeJpeg(showPicture(o.name));
        ASSERT_TRUE(p.valid()) << o.name;
        EXPECT_TRUE(p.width >= o.minWidth && p.width <= o.maxWidth && p.height <= o.maxHeight) << o.name;
        EXPECT_LE(p.brightestOnBorder(), 4) << o.name << " is not on black";
        EXPECT_GE(p.brightestAnywhere(), 200) << o.name << " does not glow";
        if (o.name.rfind("credits", 0) != 0) continue;
        // The glyphs' own light (not the glow): at most two lines, the
        // tallest a sixth of the picture, so that squeezed to 150 rows its
        // letters stay readable while they shrink.
        const auto bands = litBands(p, 200);
        EXPECT_TRUE(!bands.empty() && bands.size() <= 2) << o.name;
        int tallest = 0;
        for (const auto& band : bands) tallest = std::max(tallest, band.second);
        EXPECT_GE(tallest, p.height / 6) << o.name;
    }
}

TEST(Pictures, FlareIsBrightInTheMiddleButNeverWhiteAndBlackAtItsEdges) {
    const DecodedPicture p = decodeJpeg(showPicture("flare.jpg"));
    ASSERT_EQ(std::pair(p.width, p.height), std::pair(64, 64));
    // Bright in the middle, but never white: the overlays that follow the
    // flares add up to about 80 more, with carries between channels.
    EXPECT_GE(p.brightest(32, 32), 150);
    EXPECT_LE(p.brightestAnywhere(), 175);
    EXPECT_LE(p.brightestOnBorder(), 2);
}

// Every recipe, the photographs shrunk to a quarter of their size and
// without supersampling: cheap enough to make twice.
std::string shrunkRecipes() {
    std::string text = readFile(kGeneratorData + "/pictures.txt");
    std::string out;
    const std::regex size(R"(^(\s+)size (\d+) (\d+)\s*$)");
    const std::regex supersample(R"(^\s+supersample .*$)");
    std::istringstream lines(text);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, m, size) && std::stoi(m[2]) >= 640) {
            line = m[1].str() + "size " + std::to_string(std::stoi(m[2]) / 4) + " " +
                   std::to_string(std::stoi(m[3]) / 4);
        } else if (std::regex_match(line, supersample)) {
            continue;
        }
        out += line + "\n";
    }
    return out;
}

TEST(PictureGeneration, IsByteIdenticalRunToRunForEveryKind) {
    const ScratchFolder first("pictures-a"), second("pictures-b");
    const std::string recipes = shrunkRecipes();
    ASSERT_NE(recipes.find("size 160 120"), std::string::npos) << "recipes were not shrunk";
    first.write("pictures.txt", recipes);
    ASSERT_TRUE(generatePictures(first.path().string(), resourcesOf(first)));
    ASSERT_TRUE(generatePictures(first.path().string(), resourcesOf(second)));
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(resourcesOf(first))) {
        const std::string name = entry.path().filename().string();
        const std::string a = readFile(entry.path().string());
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readFile((second / "resources" / name).string())) << name << " differs between runs";
        ++compared;
    }
    EXPECT_EQ(compared, 19);
}

TEST(PictureGeneration, RejectsBrokenRecipesWithAMessage) {
    const ScratchFolder folder("pictures-bad");
    const std::pair<const char*, const char*> cases[] = {  // recipe, message
        {"picture x.jpg painting\n    size 64 64\n", "unknown picture kind"},
        {"picture x.jpg flare\n    size 64\n", "\"size\" needs 2"},
        {"picture x.jpg flare\n    size 64 64\n    core #fff\n", "#rrggbb"},
        {"picture x.jpg symbol\n    size 64 48\n    shape teapot\n", "\"shape\""},
        {"picture x.jpg flare\n    size 64 64\n    core #ffffff\n    halo #ffffff\n"
         "    reach 0.5\n    peak 1.5\n",
         "\"peak\""},
        {"picture x.jpg flare\n    size 64 64\n    grade 2 2\n    core #ffffff\n"
         "    halo #ffffff\n    reach 0.5\n",
         "\"grade\""},
        {"    size 64 64\n", "before any"},
        {"picture t.jpg text\n    size 64 32\n    fonts /nonexistent\n    stretch 1\n    tracking 0\n"
         "    glow 2 1\n    glow_colour #ffffff\n    line #ffffff 0.5 None.ttf \"x\"\n",
         "cannot open font /nonexistent/None.ttf"},
    };
    for (const auto& [recipe, message] : cases) {
        folder.write("pictures.txt", recipe);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(generatePictures(folder.path().string(), resourcesOf(folder))) << recipe;
        const std::string messages = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(messages.find(message), std::string::npos) << messages;
    }
}

}  // namespace
