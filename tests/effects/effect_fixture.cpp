#include "tests/effects/effect_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/random.h"
#include "engine/vrl.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

struct FixturePicture {
    const char* name;
    int width;
    int height;
    unsigned int pixel;  // one flat colour: JPEG keeps it exact
    bool ramp = false;   // instead: red grows to the right, green downward
};

// Small flat pictures in place of the show's. Sizes are chosen so that a
// test can tell the pictures apart by the area they cover; goddess3 is too
// wide and goddess4 too tall for the frame on purpose.
constexpr FixturePicture kFixturePictures[] = {
    {"alku1.jpg", 16, 16, 0xFFFFFF},    {"alku2.jpg", 16, 16, 0xFFFFFF},
    {"alku3.jpg", 16, 16, 0xFFFFFF},    {"alku4.jpg", 16, 16, 0xFFFFFF},
    {"goddess1.jpg", 100, 80, 0xFFFFFF}, {"goddess2.jpg", 60, 40, 0xFFFFFF},
    {"goddess3.jpg", 400, 60, 0xFFFFFF}, {"goddess4.jpg", 80, 220, 0xFFFFFF},
    {"goddess5.jpg", 48, 48, 0xFFFFFF},  {"goddess6.jpg", 64, 32, 0xFFFFFF},
    {"goddess7.jpg", 96, 64, 0xFFFFFF},
    // credits2 is wider than the frame on purpose; credits1 is left to the
    // engine's 640 x 480 placeholder so that the two can be told apart.
    {"credits2.jpg", 400, 300, 0xFFFFFF},
    // The first photo is not symmetric, so that a test can tell which part
    // of it an effect took; the other photos stay the engine's placeholder.
    {"kuva1.jpg", 640, 480, 0x400000, true},
    {"flare.jpg", 64, 64, 0x404040},
};

// An octahedron: few faces, every one with a distinct first vertex.
constexpr const char* kAsteroidMesh =
    "v 1 0 0\nv -1 0 0\nv 0 1 0\nv 0 -1 0\nv 0 0 1\nv 0 0 -1\n"
    "vn 1 0 0\nvn -1 0 0\nvn 0 1 0\nvn 0 -1 0\nvn 0 0 1\nvn 0 0 -1\n"
    "vt 0.1 0.1\nvt 0.9 0.1\nvt 0.5 0.9\nvt 0.2 0.5\nvt 0.8 0.5\nvt 0.5 0.5\n"
    "f 1 3 5\nf 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n";

void writeJpeg(const fs::path& path, const FixturePicture& picture) {
    const int width = picture.width, height = picture.height;
    std::vector<unsigned int> pixels(static_cast<size_t>(width) * height, picture.pixel);
    if (picture.ramp)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[y * width + x] += (x * 255 / (width - 1)) + (y * 255 / (height - 1) << 8);
    writeFile(path, encodeJpeg(pixels, width, height));
}

class EffectEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = std::make_unique<ScratchFolder>("effects");
        const fs::path& directory_ = folder_->path();
        const fs::path resources = directory_ / "resources";
        fs::create_directories(resources);
        for (const FixturePicture& picture : kFixturePictures) writeJpeg(resources / picture.name, picture);
        for (const char* mesh : {"asteroid1.obj", "asteroid2.obj", "asteroid3.obj"})
            std::ofstream(directory_ / mesh) << kAsteroidMesh;
        previous_ = fs::current_path();
        fs::current_path(directory_);

        vrlUseManualClock(1);
        vrlInitSound();
        vrlInitFrameBuffer(fixture::kWidth, fixture::kHeight);
        vrlMakePAK("resources/", "datafile.pak");
        vrlReadPak("datafile.pak");
    }

    void TearDown() override {
        fs::current_path(previous_);
        folder_.reset();
    }

private:
    std::unique_ptr<ScratchFolder> folder_;
    fs::path previous_;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EffectEnvironment);

}  // namespace

namespace fixture {

unsigned int* frame() { return vrlGetFrameBuffer(); }

void fillFrame(unsigned int pixel) { std::fill(frame(), frame() + kPixels, pixel); }

std::vector<unsigned int> snapshot() { return std::vector<unsigned int>(frame(), frame() + kPixels); }

void setSpectrumSum(float sum) {
    std::array<float, 512> bins{};
    bins[0] = sum;
    setSpectrum(bins);
}

void setSpectrum(const std::array<float, 512>& bins) { vrlInjectSpectrum(bins.data()); }

void showAt(NORVALE_VIRELLO::Base& effect, int ms) {
    vrlSetPosition(ms);
    effect.update(static_cast<float>(ms));
}

void drawAt(NORVALE_VIRELLO::Base& effect, int ms) {
    showAt(effect, ms);
    effect.draw();
}

void expectTurnedBy(const NORVALE_VIRELLO::Matrix& actual, float x, float y, float z, double tolerance) {
    NORVALE_VIRELLO::Matrix expected;
    expected.makeRotation(x, y, z);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << r << "," << c;
}

std::uint32_t stateAfter(std::uint32_t seed, int draws) {
    const std::uint32_t saved = randomState();
    resetRandom(seed);
    for (int i = 0; i < draws; ++i) nextRandom();
    const std::uint32_t result = randomState();
    resetRandom(saved);
    return result;
}

template <typename Differs>
Box boxWhere(Differs differs) {
    Box box{kWidth, kHeight, 0, 0};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!differs(y * kWidth + x)) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    return box;
}

Box changedBox(const unsigned int* pixels, unsigned int background) {
    return boxWhere([&](int i) { return pixels[i] != background; });
}

Box differenceBox(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b) {
    return boxWhere([&](int i) { return a[i] != b[i]; });
}

int countDifferent(const unsigned int* pixels, unsigned int background) {
    int count = 0;
    for (int i = 0; i < kPixels; ++i) count += pixels[i] != background;
    return count;
}

}  // namespace fixture
