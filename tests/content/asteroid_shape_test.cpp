#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/gen/meshes/mesh_asteroid.h"

namespace {

gen::AsteroidShape testShape(int subdivisions, std::uint64_t seed) {
    gen::AsteroidShape shape;
    shape.seed = seed;
    shape.subdivisions = subdivisions;
    shape.boundingRadius = 0.4f;
    shape.stretch = {1.3f, 0.8f, 1.0f};
    shape.lumpAmount = 0.3f;
    shape.craterCount = 12;
    shape.craterDepth = 0.9f;
    return shape;
}

TEST(AsteroidShape, SubdivisionSetsTheCountsAndTheRadiusIsExact) {
    const int faces[] = {80, 320, 1280};
    const int vertices[] = {42, 162, 642};
    for (int n = 1; n <= 3; ++n) {
        const gen::MeshData mesh = gen::makeAsteroid(testShape(n, 9));
        EXPECT_EQ(static_cast<int>(mesh.faces.size()), faces[n - 1]);
        ASSERT_EQ(static_cast<int>(mesh.positions.size()), vertices[n - 1]);
        float largest = 0, smallest = 1e9f;
        for (const gen::Vec3& p : mesh.positions) {
            largest = std::max(largest, gen::length(p));
            smallest = std::min(smallest, gen::length(p));
        }
        EXPECT_NEAR(largest, 0.4f, 1e-5f);
        EXPECT_GT(smallest, 0.1f) << "displacement must not fold the surface through the centre";
    }
}

TEST(AsteroidShape, ACraterIsABowlDeeperThanItsRimIsHigh) {
    gen::AsteroidShape shape = testShape(3, 4);
    shape.stretch = {1.0f, 1.0f, 1.0f};
    shape.lumpAmount = 0.0f;
    shape.craterCount = 1;
    std::vector<float> radii;
    for (const gen::Vec3& p : gen::makeAsteroid(shape).positions) radii.push_back(gen::length(p));
    std::sort(radii.begin(), radii.end());
    // Most of the surface is untouched: the median is its radius.
    const float median = radii[radii.size() / 2];
    EXPECT_GT(median - radii.front(), 2.0f * (radii.back() - median));
}

}  // namespace
