// Transform + render of a 1280-face sphere, the size class of the show's
// asteroids, flat shaded (mode 1) and environment mapped (mode 3).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/frame.h"
#include "render/mesh.h"

namespace {

struct Point {
    float x, y, z;
};

Point unit(Point p) {
    const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return {p.x / length, p.y / length, p.z / length};
}

// An icosahedron split three times: 20 * 4^3 = 1280 triangles.
void subdividedSphere(std::vector<Point>& points, std::vector<std::array<int, 3>>& triangles) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
              {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (Point& p : points) p = unit(p);
    triangles = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                 {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                 {3, 8, 9},  {4, 9, 5},  {2, 4, 11},  {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int level = 0; level < 3; ++level) {
        std::map<std::pair<int, int>, int> midpoints;
        const auto midpoint = [&](int a, int b) {
            const std::pair<int, int> key = std::minmax(a, b);
            const auto found = midpoints.find(key);
            if (found != midpoints.end()) return found->second;
            const Point& p = points[static_cast<std::size_t>(a)];
            const Point& q = points[static_cast<std::size_t>(b)];
            points.push_back(unit({(p.x + q.x) / 2, (p.y + q.y) / 2, (p.z + q.z) / 2}));
            const int index = static_cast<int>(points.size()) - 1;
            midpoints.emplace(key, index);
            return index;
        };
        std::vector<std::array<int, 3>> finer;
        for (const auto& [a, b, c] : triangles) {
            const int ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.push_back({a, ab, ca});
            finer.push_back({b, bc, ab});
            finer.push_back({c, ca, bc});
            finer.push_back({ab, bc, ca});
        }
        triangles = std::move(finer);
    }
}

std::string writeSphereFile() {
    std::vector<Point> points;
    std::vector<std::array<int, 3>> triangles;
    subdividedSphere(points, triangles);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vg-mesh-bench-" + std::to_string(::getpid()) + ".obj"))
                                 .string();
    std::ofstream out(path);
    for (const Point& p : points) out << "v " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    for (const Point& p : points) out << "vn " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    for (const Point& p : points) out << "vt " << (p.x + 1) / 2 << ' ' << (p.y + 1) / 2 << '\n';
    for (const auto& [a, b, c] : triangles) out << "f " << a + 1 << ' ' << b + 1 << ' ' << c + 1 << '\n';
    return path;
}

// Written once, removed when the program ends.
struct SphereFile {
    std::string path = writeSphereFile();
    ~SphereFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

const std::string& sphereFile() {
    static const SphereFile file;
    return file.path;
}

void transformAndRender(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    Mesh mesh;
    mesh.load(sphereFile());
    if (mesh.faceCount != 1280) state.SkipWithError("sphere did not load with 1280 faces");
    std::vector<std::uint32_t> texture(kTexturePixels);
    for (std::size_t i = 0; i < texture.size(); ++i) texture[i] = static_cast<std::uint32_t>(i * 2654435761u);
    std::vector<std::uint32_t> picture(kFramePixels, 0);
    mesh.setRenderMode(mode);
    mesh.setTexture(texture.data());
    mesh.setPosition(NORVALE_VIRELLO::Vector(0.0f, 0.0f, 2.5f));
    float angle = 0.0f;
    for (auto _ : state) {
        angle += 0.01f;
        mesh.setRotation(angle, 1.3f * angle, -0.7f * angle);
        mesh.transform();
        mesh.render(picture.data());
        benchmark::DoNotOptimize(picture.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * mesh.faceCount);
}

void transformOnly(benchmark::State& state) {
    Mesh mesh;
    mesh.load(sphereFile());
    mesh.setRenderMode(3);
    mesh.setPosition(NORVALE_VIRELLO::Vector(0.0f, 0.0f, 2.5f));
    float angle = 0.0f;
    for (auto _ : state) {
        angle += 0.01f;
        mesh.setRotation(angle, 1.3f * angle, -0.7f * angle);
        mesh.transform();
        benchmark::DoNotOptimize(mesh.drawList.data());
    }
}

void loadSphere(benchmark::State& state) {
    for (auto _ : state) {
        Mesh mesh;
        mesh.load(sphereFile());
        benchmark::DoNotOptimize(mesh.faces.data());
    }
}

}  // namespace

BENCHMARK(transformAndRender)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(transformOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadSphere)->Unit(benchmark::kMicrosecond);
