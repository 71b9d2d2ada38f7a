#include "render/pixel_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <numeric>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/random.h"
#include "engine/vrl.h"
#include "render/photo_window.h"
#include "tests/render/pixel_test_support.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace {

using namespace pixel_test;

// ---------------------------------------------------------------------------
// Photo windows

// Photo pixel naming its own place: row in bits 12-23, column in bits 0-11.
std::vector<unsigned int> numberedPhoto(int width, int height) {
    std::vector<unsigned int> photo(static_cast<size_t>(width) * height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) photo[r * width + c] = static_cast<unsigned int>(r << 12 | c);
    return photo;
}

// Any photo size wraps around its own edges from any start, in the whole
// window and in texels picked by row and column alike. Each photo is exactly
// its size: the sanitizer build catches any read past it.
TEST(CopyPhotoWindow, AnyPhotoSizeWrapsAroundItsOwnEdges) {
    std::vector<int> every(256);
    std::iota(every.begin(), every.end(), 0);
    const std::vector<int> some = {0, 3, 3, 255, 128, 17};  // any order, repeats allowed
    const auto wrap = [](int start, int offset, int size) {
        return static_cast<unsigned int>(((std::int64_t{start} + offset) % size + size) % size);
    };
    for (const auto& [width, height] : {std::pair{100, 50}, {1, 1}, {37, 300}, {700, 20}, {640, 480}, {700, 1}}) {
        const NORVALE_VIRELLO::Texture photo(width, height, numberedPhoto(width, height));
        for (const int x : {0, 5, 639, -1, -1000, INT_MAX, INT_MIN}) {
            for (const int y : {0, 7, 479, -3, INT_MAX, INT_MIN}) {
                std::vector<unsigned int> expected(256 * 256), window(256 * 256, kUntouched), texels = window;
                for (int i = 0; i < 256 * 256; ++i)
                    expected[i] = wrap(y, i / 256, height) << 12 | wrap(x, i % 256, width);
                copyPhotoWindow(x, y, photo, window.data());
                copyPhotoWindowTexels(x, y, photo, every, every, texels.data());
                ASSERT_TRUE(window == expected && texels == expected)
                    << width << "x" << height << " at " << x << "," << y;

                std::vector<unsigned int> picked(some.size() * 2, kUntouched);
                copyPhotoWindowTexels(x, y, photo, some, std::span(some).first(2), picked.data());
                for (std::size_t i = 0; i < some.size(); ++i)
                    for (std::size_t j = 0; j < 2; ++j)
                        ASSERT_EQ(picked[i * 2 + j], expected[some[i] * 256 + some[j]]) << i << "," << j;
            }
        }
    }
}

TEST(CopyPhotoWindow, AnEmptyPhotoGivesABlackWindow) {
    const unsigned int pixel = 0x123456u;
    using Photo = std::tuple<const unsigned int*, int, int>;
    for (const auto& [photo, width, height] : {Photo{nullptr, 640, 480}, {&pixel, 0, 480}, {&pixel, 640, 0}}) {
        std::vector<unsigned int> window(256 * 256, kUntouched);
        copyPhotoWindow(3, 4, photo, window.data(), width, height);
        EXPECT_EQ(std::count(window.begin(), window.end(), 0u), 256 * 256) << width << " x " << height;
    }
    const NORVALE_VIRELLO::Texture empty(0, 0, {});
    const std::vector<int> rows = {0, 1, 2};
    std::vector<unsigned int> texels(10, kUntouched);
    copyPhotoWindowTexels(3, 4, empty, rows, rows, texels.data());
    EXPECT_TRUE(std::count(texels.begin(), texels.begin() + 9, 0u) == 9 && texels[9] == kUntouched);
}

// ---------------------------------------------------------------------------
// Random draws and the engine's photographs

TEST(RandomUnit, MapsTheGeneratorOntoZeroToBelowOne) {
    resetRandom();
    EXPECT_EQ(randomUnit(), static_cast<float>(41 / 32767.0));  // the first draw is 41
    // The draws that follow reach 32767 several times: it gives 0, not 1.
    const float largest = static_cast<float>(32766 / 32767.0);
    for (int i = 0; i < 100000; ++i) {
        const float u = randomUnit();
        ASSERT_TRUE(u >= 0.0f && u <= largest) << u;
    }
}

// The five photographs as small pictures of different sizes (one wider than
// 640, one of a single pixel), packed into an archive the engine reads.
class Photos : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>("photos");
        const std::filesystem::path pictures = *folder_ / "resources";
        std::filesystem::create_directories(pictures);
        const int sizes[5][2] = {{100, 50}, {640, 480}, {37, 300}, {700, 20}, {1, 1}};
        for (int i = 0; i < 5; ++i) {
            const int width = sizes[i][0], height = sizes[i][1];
            std::vector<unsigned int> pixels(static_cast<size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) pixels[y * width + x] = pixelOf(x * 7 & 255, y * 5 & 255, 90);
            writeFile(pictures / kPhotoTable[i], encodeJpeg(pixels, width, height));
        }
        const std::string archive = (*folder_ / "photos.pak").string();
        vrlMakePAK((pictures.string() + "/").c_str(), archive.c_str());
        vrlReadPak(archive.c_str());
    }

    static void TearDownTestSuite() { folder_.reset(); }

    static inline std::unique_ptr<ScratchFolder> folder_;
};

TEST_F(Photos, GrabRandomWindowDrawsPhotoColumnRowAndWrapsInsideThePhoto) {
    // With placeholders every photo would be 640 x 480.
    ASSERT_EQ(vrlGetTexture("kuva1.jpg")->getWidth(), 100u);
    ASSERT_EQ(vrlGetTexture("kuva25.jpg")->getHeight(), 1u);
    std::vector<unsigned int> window(256 * 256), expected(256 * 256);
    std::vector<int> photosSeen(5, 0);
    for (std::uint32_t start = 1; start < 200; ++start) {
        resetRandom(start * 2654435761u);
        const int photo = nextRandom() % 5;
        const int x = nextRandom() % 640;
        const int y = nextRandom() % 480;
        const std::uint32_t afterThreeDraws = randomState();
        copyPhotoWindow(x, y, *vrlGetTexture(kPhotoTable[photo]), expected.data());
        ++photosSeen[photo];

        resetRandom(start * 2654435761u);
        grabRandomWindow(window.data());
        ASSERT_EQ(window, expected) << "photo " << photo << " at " << x << "," << y;
        ASSERT_EQ(randomState(), afterThreeDraws);
    }
    for (int i = 0; i < 5; ++i) EXPECT_GT(photosSeen[i], 0) << kPhotoTable[i];
}

}  // namespace
