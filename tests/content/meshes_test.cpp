#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
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

// The file read strictly by its own rules, independent of the show's loader.
struct ObjFile {
    std::vector<Point> positions, normals;
    std::vector<std::pair<double, double>> texCoords;
    std::vector<std::array<int, 3>> faces;  // 0-based
    std::vector<std::string> problems;
};

ObjFile parseObj(const std::string& text) {
    ObjFile obj;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string keyword;
        in >> keyword;
        if (keyword.empty() || keyword[0] == '#') continue;
        if (keyword == "v" || keyword == "vn") {
            Point p;
            if (!(in >> p.x >> p.y >> p.z)) obj.problems.push_back("short line: " + line);
            (keyword == "v" ? obj.positions : obj.normals).push_back(p);
        } else if (keyword == "vt") {
            std::pair<double, double> t;
            if (!(in >> t.first >> t.second)) obj.problems.push_back("short line: " + line);
            obj.texCoords.push_back(t);
        } else if (keyword == "f") {
            std::array<int, 3> face{};
            std::string corner, extra;
            for (int& index : face) {
                int a = 0, b = 0, c = 0;
                char s1 = 0, s2 = 0;
                in >> corner;
                std::istringstream parts(corner);
                // Every corner must be "a/a/a": the same number three times.
                if (!(parts >> a >> s1 >> b >> s2 >> c) || s1 != '/' || s2 != '/' || a != b || b != c)
                    obj.problems.push_back("corner not a/a/a: " + line);
                index = a - 1;
            }
            if (in >> extra) obj.problems.push_back("more than three corners: " + line);
            obj.faces.push_back(face);
        } else {
            obj.problems.push_back("unexpected line: " + line);
        }
    }
    return obj;
}

// The rocks as the generator makes them from the show's recipe (what the
// content build writes), made twice to see that it repeats itself.
class ShowMeshTest : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() {
        first_ = std::make_unique<ScratchFolder>("meshes-a");
        second_ = std::make_unique<ScratchFolder>("meshes-b");
        generated_ = generateMeshes(kGeneratorData, first_->path()) && generateMeshes(kGeneratorData, second_->path());
    }
    static void TearDownTestSuite() { first_.reset(), second_.reset(); }
    void SetUp() override { ASSERT_TRUE(generated_); }
    static std::string path() { return (*first_ / GetParam()).string(); }

    static inline std::unique_ptr<ScratchFolder> first_, second_;
    static inline bool generated_ = false;
};

TEST_P(ShowMeshTest, RepeatsDiffersFromTheOtherRocksAndHasOneNormalAndTexCoordPerVertex) {
    const std::string text = readFile(path());
    ASSERT_FALSE(text.empty()) << path();
    EXPECT_EQ(text, readFile(*second_ / GetParam())) << "differs between runs";
    const ObjFile obj = parseObj(text);
    EXPECT_TRUE(obj.problems.empty()) << obj.problems.front();
    EXPECT_EQ(obj.normals.size(), obj.positions.size());
    EXPECT_EQ(obj.texCoords.size(), obj.positions.size());
    EXPECT_TRUE(obj.faces.size() >= 300 && obj.faces.size() <= 1300) << obj.faces.size();
    for (const auto& face : obj.faces)
        for (int index : face) ASSERT_TRUE(index >= 0 && index < static_cast<int>(obj.positions.size()));
    for (const Point& n : obj.normals) ASSERT_NEAR(lengthOf(n), 1.0, 1e-4);
    std::size_t atAnEdge = 0;
    for (const auto& t : obj.texCoords) {
        ASSERT_TRUE(t.first >= 0.0 && t.first <= 1.0);
        ASSERT_TRUE(t.second >= 0.0 && t.second <= 1.0);
        atAnEdge += t.first == 0.0 || t.first == 1.0;
    }
    EXPECT_LT(atAnEdge, obj.texCoords.size() / 20) << "the map is squeezed against its edges";
    for (const char* other : kMeshNames) {
        if (other == GetParam()) continue;
        EXPECT_NE(text, readFile(*first_ / other)) << "the same rock as " << other;
    }
    double radius = 0;
    for (const Point& p : obj.positions) radius = std::max(radius, lengthOf(p));
    EXPECT_TRUE(radius >= 0.35 && radius <= 0.6) << radius;
}

TEST_P(ShowMeshTest, IsClosedAndWoundOutwardConsistently) {
    const ObjFile obj = parseObj(readFile(path()));
    ASSERT_FALSE(obj.faces.empty());
    // In a closed surface with one winding every directed edge occurs once
    // and its reverse occurs once, in the neighbouring face.
    std::map<std::pair<int, int>, int> directed;
    for (const auto& f : obj.faces)
        for (int k = 0; k < 3; ++k) ++directed[{f[k], f[(k + 1) % 3]}];
    for (const auto& [edge, count] : directed) {
        ASSERT_EQ(count, 1) << "edge " << edge.first << "-" << edge.second << " repeats";
        ASSERT_EQ(directed.count({edge.second, edge.first}), 1u)
            << "edge " << edge.first << "-" << edge.second << " is open";
    }
    // Smooth normals: each vertex's is the area-weighted mean of its faces'.
    std::vector<Point> summed(obj.positions.size());
    for (const auto& f : obj.faces) {
        const Point n = crossOf(minus(obj.positions[f[1]], obj.positions[f[0]]),
                                minus(obj.positions[f[2]], obj.positions[f[0]]));
        for (int corner : f) summed[corner] = {summed[corner].x + n.x, summed[corner].y + n.y, summed[corner].z + n.z};
    }
    for (std::size_t i = 0; i < summed.size(); ++i)
        ASSERT_GT(dotOf(summed[i], obj.normals[i]) / lengthOf(summed[i]), 0.999) << "vertex " << i + 1;
    double volume = 0;
    for (const auto& f : obj.faces) {
        const Point a = obj.positions[f[0]], b = obj.positions[f[1]], c = obj.positions[f[2]];
        const Point n = crossOf(minus(b, a), minus(c, a));
        ASSERT_GT(lengthOf(n), 1e-9) << "degenerate face";
        // The face's winding and its smooth vertex normals must agree.
        const Point smooth{obj.normals[f[0]].x + obj.normals[f[1]].x + obj.normals[f[2]].x,
                           obj.normals[f[0]].y + obj.normals[f[1]].y + obj.normals[f[2]].y,
                           obj.normals[f[0]].z + obj.normals[f[1]].z + obj.normals[f[2]].z};
        ASSERT_GT(dotOf(n, smooth), 0.0) << "face wound against its normals";
        volume += dotOf(a, crossOf(b, c)) / 6.0;
    }
    EXPECT_GT(volume, 0.0) << "faces are wound inward";
}

TEST_P(ShowMeshTest, LoadsWithTheShowsLoaderWithoutRepairs) {
    const ObjFile obj = parseObj(readFile(path()));
    Mesh mesh;
    vrlSetLogging(1);
    ::testing::internal::CaptureStderr();
    mesh.load(path());
    const std::string messages = ::testing::internal::GetCapturedStderr();
    vrlSetLogging(0);
    EXPECT_EQ(messages, "Parsing mesh " + path() + "\n");
    EXPECT_EQ(mesh.vertexCount, static_cast<int>(obj.positions.size()));
    EXPECT_EQ(mesh.faceCount, static_cast<int>(obj.faces.size()));
    for (int i = 0; i < mesh.vertexCount; ++i) {
        ASSERT_TRUE(mesh.vertices[i].u >= 0 && mesh.vertices[i].u <= 255);
        ASSERT_TRUE(mesh.vertices[i].v >= 0 && mesh.vertices[i].v <= 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Asteroids, ShowMeshTest, ::testing::ValuesIn(kMeshNames));

TEST(MeshGeneration, RejectsABrokenRecipeWithAMessage) {
    const ScratchFolder folder("meshes-bad");
    folder.write("meshes.txt",
                 "mesh rock.obj asteroid\n    seed 1\n    subdivisions 3\n    radius 0.5\n");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(generateMeshes(folder.path(), folder.path()));
    const std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("\"stretch\" is missing"), std::string::npos) << messages;

    folder.write("meshes.txt", "mesh rock.obj asteroid\n    seed 1\n    subdivisions 9\n");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(generateMeshes(folder.path(), folder.path()));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("subdivisions"), std::string::npos);
}

}  // namespace
