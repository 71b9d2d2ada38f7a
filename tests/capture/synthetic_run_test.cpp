// A whole capture run in this process over effects made for the test: a
// white scene, a black scene, and an overlay that plays a synthetic song by
// injecting the spectrum each frame is measured with.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/base.h"
#include "engine/vrl.h"
#include "tests/support/scratch_folder.h"
#include "tools/capture/capture_run.h"

namespace {

using NORVALE_VIRELLO::Base;

class FlatScene : public Base {
public:
    explicit FlatScene(unsigned int colour) : colour_(colour) {}
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        std::fill(pixels, pixels + 320 * 200, colour_);
    }

private:
    unsigned int colour_;
};

// Energy = (sum of bins 0..510) / 5; bin 511 is loud but never counts.
class SyntheticSong : public Base {
public:
    void draw() override {
        float bins[512] = {};
        bins[511] = 100.0f;
        if (time < 500.0f)
            bins[0] = 3.0f;  // 0.6: over 0.3 and 0.5
        else if (time < 1000.0f)
            bins[0] = 5.0f;  // 1.0: over every threshold
        else if (time < 2000.0f)
            bins[0] = 2.5f;  // exactly 0.5: over 0.3 only
        else
            bins[0] = 0.0f;
        vrlInjectSpectrum(bins);
    }
};

// Cells of pure blue among dark grey ones. Blue is the darker of the two to
// the eye (luminance 29 against 48), but the console draws it in its bright
// blue, far above its dark grey: the characters turn the frame's light and
// shade upside down.
class InvertedScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        for (int i = 0; i < 320 * 200; ++i) {
            const int column = (i % 320) / 4, row = (i / 320) / 4;
            pixels[i] = (column + row) % 2 ? 0x00FF0000u : 0x00303030u;
        }
    }
};

// Big bright and dark bands: what the characters follow well.
class BandScene : public Base {
public:
    void draw() override {
        unsigned int* pixels = vrlGetFrameBuffer();
        for (int i = 0; i < 320 * 200; ++i) pixels[i] = ((i / 320) / 40 % 2) * 0x00E0E0E0u;
    }
};

// Two scenes, the song's overlay alone after them (it draws nothing: the
// frame must start black), a gap, then the picture scenes.
void registerSyntheticShow() {
    vrlAddEffect(0, 1000, 10, "white", new FlatScene(0x00FFFFFFu));
    vrlAddEffect(1000, 2000, 10, "black", new FlatScene(0u));
    vrlAddEffect(0, 2500, 1, "song", new SyntheticSong());
    vrlAddEffect(3000, 4000, 10, "grey", new FlatScene(0x00808080u));
    vrlAddEffect(4000, 5000, 10, "inverted", new InvertedScene());
    vrlAddEffect(5000, 6000, 10, "bands", new BandScene());
}

// The report's fields are plain: no quotes, no commas inside.
std::vector<std::vector<std::string>> readCsv(const std::string& path) {
    std::vector<std::vector<std::string>> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        lines.emplace_back(1);
        for (char c : line)
            if (c == ',') lines.back().emplace_back();
            else lines.back().back() += c;
    }
    return lines;
}

class SyntheticRun : public ::testing::Test {
protected:
    void SetUp() override {
        // An empty resources/: no pictures or song, so placeholders.
        std::filesystem::create_directories(folder_ / "show" / "resources");
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        vrlInjectSpectrum(nullptr);
    }
    std::filesystem::path previous_ = std::filesystem::current_path();
    ScratchFolder folder_{"capture-synthetic"};
};

TEST_F(SyntheticRun, StatsAndPictureFiguresPerBlockAreExact) {
    CaptureOptions options;
    options.showDir = (folder_ / "show").string();
    options.startMs = 0;
    options.endMs = 5900;
    options.fps = 10;  // positions 0, 100, ..., 5900
    options.statsFile = (folder_ / "stats.csv").string();
    options.quiet = true;
    ASSERT_EQ(runCapture(options, registerSyntheticShow), 0);

    const auto csv = readCsv(options.statsFile);
    ASSERT_EQ(csv.size(), 8u) << "header, six blocks, the frames outside them";
    const auto& header = csv[0];
    const auto& white = csv[1];
    const auto& black = csv[2];
    const auto& song = csv[3];
    const auto& outside = csv[7];
    ASSERT_EQ(header.size(), 28u);
    for (const auto& row : csv) ASSERT_EQ(row.size(), header.size());

    EXPECT_EQ((std::vector<std::string>(white.begin(), white.begin() + 5)),
              (std::vector<std::string>{"0", "1000", "white", "10", "255.00"}));
    EXPECT_EQ((std::vector<std::string>(white.begin() + 6, white.begin() + 11)),
              (std::vector<std::string>{"10", "10", "5", "5", "5"}));
    EXPECT_EQ((std::vector<std::string>(black.begin(), black.begin() + 5)),
              (std::vector<std::string>{"1000", "2000", "black", "10", "0.00"}));
    EXPECT_EQ((std::vector<std::string>(black.begin() + 6, black.begin() + 11)),
              (std::vector<std::string>{"10", "0", "0", "0", "0"}));
    // The overlay alone rules 2000-2500; 2500-2900 has no effect.
    EXPECT_EQ((std::vector<std::string>(song.begin(), song.begin() + 5)),
              (std::vector<std::string>{"2000", "2500", "song", "5", "0.00"}));
    EXPECT_EQ(song[6], "0");
    EXPECT_EQ((std::vector<std::string>(outside.begin(), outside.begin() + 4)),
              (std::vector<std::string>{"", "", "(no effect)", "5"}));

    // The character picture of a white frame is far brighter than that of a
    // black one, and both blocks of black frames look the same.
    EXPECT_GT(std::stod(white[5]), std::stod(black[5]) + 50.0);
    EXPECT_LE(std::stod(white[5]), 255.0) << "not a luminance";
    EXPECT_EQ(black[5], song[5]);
    // Costs: medians never above the p99; the whole frame costs at least
    // its effects, and (ten frames: the p99 is the largest) at most effects
    // and dither at their worst.
    for (const auto* row : {&white, &black}) {
        for (int column : {11, 13, 15})
            EXPECT_LE(std::stod((*row)[column]), std::stod((*row)[column + 1]));
        EXPECT_GE(std::stod((*row)[16]), std::stod((*row)[12]));
        EXPECT_LE(std::stod((*row)[16]), std::stod((*row)[12]) + std::stod((*row)[14]) + 0.2);
    }

    // The picture figures: black frames are all black with no structure to
    // keep; flat grey is never black, mean luminance 128, no structure
    // either; blue among grey shows the opposite of the frame; big bands
    // come through.
    ASSERT_EQ(header[17], "black_share");
    ASSERT_EQ(header[18], "structure_kept");
    EXPECT_EQ(black[17], "1.0000");
    EXPECT_EQ(black[18], "");
    EXPECT_EQ(csv[4][2], "grey");
    EXPECT_EQ(csv[4][4], "128.00");
    EXPECT_EQ(csv[4][17], "0.0000");
    EXPECT_EQ(csv[4][18], "");
    EXPECT_EQ(csv[5][17], "0.0000");
    EXPECT_LT(std::stod(csv[5][18]), -0.95);
    EXPECT_EQ(csv[6][17], "0.0000");
    EXPECT_GT(std::stod(csv[6][18]), 0.9);
}

}  // namespace
