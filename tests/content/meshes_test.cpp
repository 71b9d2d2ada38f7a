#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/vrl.h"
#include "render/mesh.h"
#include "tests/content/generated_files.h"
#include "tools/gen/generator.h"

namespace {

const char* const kMeshNames[] = {"asteroid1.obj", "asteroid2.obj", "asteroid3.obj"};

struct Point {
    double x = 0, y = 0, z = 0;
};

Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point crossOf(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dotOf(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lengthOf(Point a) { return std::sqrt(dotOf(a, a)); }

Point pointOf(const NORVALE_VIRELLO::Vector& v) { return {v.x, v.y, v.z}; }

// Every face a triangle whose corners name their vertex's own normal and
// texture coordinate, counted from one: "f 3/3/3 1/1/1 2/2/2".
const std::regex kFaceLine(R"(f( ([1-9]\d*)/\2/\2){3})");

// The rocks as the generator makes them from the show's recipe (what the
// content build writes), made twice to see that it repeats itself.
class ShowMeshTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        first_ = std::make_unique<ScratchFolder>("meshes-a");
        second_ = std::make_unique<ScratchFolder>("meshes-b");
        generated_ = generateMeshes(kGeneratorData, first_->path().string()) &&
                     generateMeshes(kGeneratorData, second_->path().string());
    }
    static void TearDownTestSuite() { first_.reset(), second_.reset(); }
    void SetUp() override { ASSERT_TRUE(generated_); }
    static std::string path() { return (*first_ / GetParam()).string(); }
    // Read by the show's own loader, which says nothing but its first line
    // when it had nothing to repair.
    static std::unique_ptr<Mesh> loaded() {
        auto mesh = std::make_unique<Mesh>();
        vrlSetLogging(1);
        ::testing::internal::CaptureStderr();
        mesh->load(path());
        const std::string messages = ::testing::internal::GetCapturedStderr();
        vrlSetLogging(0);
        EXPECT_EQ(messages, "Parsing mesh " + path() + "\n");
        return mesh;
    }

    static inline std::unique_ptr<ScratchFolder> first_, second_;
    static inline bool generated_ = false;
};

TEST_P(ShowMeshTest, RepeatsDiffersFromTheOtherRocksAndHasOneNormalAndTexCoordPerVertex) {
    const std::string text = readFile(path());
    ASSERT_FALSE(text.empty()) << path();
    EXPECT_EQ(text, readFile(*second_ / GetParam())) << "differs between runs";
    for (const char* other : kMeshNames)
        EXPECT_TRUE(other == GetParam() || text != readFile(*first_ / other)) << "the same rock as " << other;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        ASSERT_TRUE(line.rfind("f ", 0) != 0 || std::regex_match(line, kFaceLine)) << line;

    const std::unique_ptr<Mesh> mesh = loaded();
    EXPECT_TRUE(mesh->faceCount >= 300 && mesh->faceCount <= 1300) << mesh->faceCount;
    double radius = 0;
    int atAnEdge = 0;
    for (const MeshVertex& vertex : mesh->vertices) {
        radius = std::max(radius, lengthOf(pointOf(vertex.position)));
        ASSERT_NEAR(lengthOf(pointOf(vertex.normal)), 1.0, 1e-4);
        ASSERT_TRUE(vertex.u >= 0 && vertex.u <= 255 && vertex.v >= 0 && vertex.v <= 255);
        atAnEdge += vertex.u == 0 || vertex.u == 255;
    }
    EXPECT_LT(atAnEdge, mesh->vertexCount / 20) << "the map is squeezed against its edges";
    EXPECT_TRUE(radius >= 0.35 && radius <= 0.6) << radius;
}

TEST_P(ShowMeshTest, IsClosedAndWoundOutwardConsistently) {
    const std::unique_ptr<Mesh> mesh = loaded();
    ASSERT_FALSE(mesh->faces.empty());
    const auto cornersOf = [](const MeshFace& f) { return std::array<int, 3>{f.index0, f.index1, f.index2}; };
    // In a closed surface with one winding every directed edge occurs once
    // and its reverse occurs once, in the neighbouring face.
    std::map<std::pair<int, int>, int> directed;
    for (const MeshFace& face : mesh->faces) {
        const auto f = cornersOf(face);
        for (int k = 0; k < 3; ++k) ++directed[{f[k], f[(k + 1) % 3]}];
    }
    for (const auto& [edge, count] : directed) {
        ASSERT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " repeats";
        ASSERT_EQ(directed.count({edge.second, edge.first}), 1u)
            << "edge " << edge.first << "-" << edge.second << " is open";
    }
    std::vector<Point> summed(mesh->vertices.size());
    double volume = 0;
    for (const MeshFace& face : mesh->faces) {
        const auto f = cornersOf(face);
        const Point a = pointOf(mesh->vertices[f[0]].position), b = pointOf(mesh->vertices[f[1]].position),
                    c = pointOf(mesh->vertices[f[2]].position);
        const Point n = crossOf(minus(b, a), minus(c, a));
        ASSERT_GT(lengthOf(n), 1e-9) << "degenerate face";
        for (int corner : f) summed[corner] = {summed[corner].x + n.x, summed[corner].y + n.y, summed[corner].z + n.z};
        // The face's winding and its smooth vertex normals must agree.
        const Point smooth =
            pointOf(mesh->vertices[f[0]].normal + mesh->vertices[f[1]].normal + mesh->vertices[f[2]].normal);
        ASSERT_GT(dotOf(n, smooth), 0.0) << "face wound against its normals";
        volume += dotOf(a, crossOf(b, c)) / 6.0;
    }
    EXPECT_GT(volume, 0.0) << "faces are wound inward";
    // Smooth normals: each vertex's is the area-weighted mean of its faces'.
    for (std::size_t i = 0; i < summed.size(); ++i)
        ASSERT_GT(dotOf(summed[i], pointOf(mesh->vertices[i].normal)) / lengthOf(summed[i]), 0.999)
            << "vertex " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Asteroids, ShowMeshTest, ::testing::ValuesIn(kMeshNames));

TEST(MeshGeneration, RejectsABrokenRecipeWithAMessage) {
    const ScratchFolder folder("meshes-bad");
    for (const auto& [recipe, message] :
         {std::pair{"mesh rock.obj asteroid\n    seed 1\n    subdivisions 3\n    radius 0.5\n", "\"stretch\" is missing"},
          std::pair{"mesh rock.obj asteroid\n    seed 1\n    subdivisions 9\n", "subdivisions"}}) {
        folder.write("meshes.txt", recipe);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(generateMeshes(folder.path().string(), folder.path().string())) << recipe;
        const std::string messages = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(messages.find(message), std::string::npos) << messages;
    }
}

}  // namespace
