// Triangles and spans with corners anywhere in 32-bit range: nothing may be
// read or written outside the texture or the picture (the sanitizer build
// checks the rest). Broken mesh files and wild placements are the mesh fuzz
// target's (tests/fuzz/mesh_fuzz.cpp and its seed corpus).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "render/mesh.h"
#include "render/mesh_renderer.h"

namespace {

constexpr int kPixels = 320 * 200;
constexpr int kGuard = 4096;  // pixels on each side of the picture that must stay untouched
constexpr std::uint32_t kGuardValue = 0xDEADBEEFu;

class GuardedPicture {
public:
    GuardedPicture() : storage_(kPixels + 2 * kGuard, kGuardValue) {}
    std::uint32_t* pixels() { return storage_.data() + kGuard; }
    bool guardsIntact() const {
        return std::all_of(storage_.begin(), storage_.begin() + kGuard,
                           [](std::uint32_t p) { return p == kGuardValue; }) &&
               std::all_of(storage_.end() - kGuard, storage_.end(),
                           [](std::uint32_t p) { return p == kGuardValue; });
    }

private:
    std::vector<std::uint32_t> storage_;
};

TEST(MeshRobustness, TrianglesWithExtremeCornersStayInBounds) {
    std::mt19937 random(0xC0FFEEu);
    const auto pick = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const std::vector<std::uint32_t> texels(256 * 256, 0x00404040u);  // exact size: a stray read shows
    GuardedPicture picture;
    const auto extreme = [&pick]() {
        switch (pick(0, 3)) {
            case 0: return INT_MIN;
            case 1: return INT_MAX;
            case 2: return pick(-400, 600);
            default: return pick(INT_MIN, INT_MAX);
        }
    };
    for (int trial = 0; trial < 3000; ++trial) {
        MeshVertex corners[3];
        for (MeshVertex& c : corners) {
            c.screenX = extreme();
            c.screenY = extreme();
            c.u = extreme();
            c.v = extreme();
        }
        fillTriangle(corners[0], corners[1], corners[2], 0x00FF0000u, picture.pixels());
        textureTriangle(corners[0], corners[1], corners[2], texels.data(), picture.pixels());
        textureSpan(extreme(), extreme(), pick(0, 199), extreme(), extreme(), extreme(), extreme(),
                    texels.data(), picture.pixels());
        fillSpan(extreme(), extreme(), extreme(), 0x0000FF00u, picture.pixels());
        ASSERT_TRUE(picture.guardsIntact()) << trial;
    }
}

}  // namespace
