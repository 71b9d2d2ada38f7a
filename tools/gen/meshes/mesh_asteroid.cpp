#include "tools/gen/meshes/mesh_asteroid.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

#include "tools/gen/noise.h"
#include "tools/gen/seeded_random.h"

namespace gen {

namespace {

constexpr float kPi = 3.14159265f;

struct Sphere {
    std::vector<Vec3> directions;  // unit vectors
    std::vector<std::array<int, 3>> faces;
};

// Twelve vertices and twenty faces, each listed counter-clockwise seen from outside.
Sphere icosahedron() {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    Sphere s;
    const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0},  {-1, -t, 0}, {1, -t, 0},
                              {0, -1, t}, {0, 1, t},  {0, -1, -t}, {0, 1, -t},
                              {t, 0, -1}, {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (const Vec3& c : corners) s.directions.push_back(normalize(c));
    s.faces = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
               {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
               {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
               {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    return s;
}

// Splits every triangle into four; shared edges share their midpoint.
Sphere subdivide(const Sphere& in) {
    Sphere out;
    out.directions = in.directions;
    std::map<std::pair<int, int>, int> midpoints;
    auto midpoint = [&](int a, int b) {
        const std::pair<int, int> key(std::min(a, b), std::max(a, b));
        const auto found = midpoints.find(key);
        if (found != midpoints.end()) return found->second;
        out.directions.push_back(normalize(out.directions[a] + out.directions[b]));
        const int index = static_cast<int>(out.directions.size()) - 1;
        midpoints.emplace(key, index);
        return index;
    };
    for (const auto& f : in.faces) {
        const int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]), ca = midpoint(f[2], f[0]);
        out.faces.push_back({f[0], ab, ca});
        out.faces.push_back({f[1], bc, ab});
        out.faces.push_back({f[2], ca, bc});
        out.faces.push_back({ab, bc, ca});
    }
    return out;
}

struct Crater {
    Vec3 centre;
    float size;
};

std::vector<Crater> placeCraters(const AsteroidShape& shape, SeededRandom& random) {
    std::vector<Crater> craters;
    for (int i = 0; i < shape.craterCount; ++i) {
        const float z = static_cast<float>(random.range(-1.0, 1.0));
        const float angle = static_cast<float>(random.range(0.0, 2.0 * kPi));
        const float ring = std::sqrt(std::max(0.0f, 1.0f - z * z));
        const float size =
            static_cast<float>(random.range(shape.craterMinSize, shape.craterMaxSize));
        craters.push_back({{ring * std::cos(angle), ring * std::sin(angle), z}, size});
    }
    return craters;
}

// Radial offset of one crater at angular distance `angle` from its centre:
// a bowl inside, a raised rim around it, nothing far away.
float craterProfile(float angle, float size, float depth) {
    const float x = angle / size;
    const float rim = 0.25f;
    float h;
    if (x < 1.0f) {
        h = (x * x - 1.0f) + rim;
    } else {
        const float fall = 1.0f - smoothstep(1.0f, 1.6f, x);
        h = rim * fall * fall;
    }
    return h * depth * size;
}

float radiusAt(const Vec3& d, const AsteroidShape& shape, const GradientNoise& noise,
               const std::vector<Crater>& craters) {
    const float f = shape.lumpFrequency;
    float r = 1.0f + shape.lumpAmount * noise.fbm(d.x * f, d.y * f, d.z * f, shape.lumpOctaves);
    for (const Crater& c : craters) {
        const float angle = std::acos(std::clamp(dot(d, c.centre), -1.0f, 1.0f));
        if (angle < c.size * 1.6f) r += craterProfile(angle, c.size, shape.craterDepth);
    }
    return std::max(r, 0.3f);
}

}  // namespace

MeshData makeAsteroid(const AsteroidShape& shape) {
    Sphere sphere = icosahedron();
    for (int i = 0; i < shape.subdivisions; ++i) sphere = subdivide(sphere);

    SeededRandom random(shape.seed);
    const GradientNoise noise(random.next());
    const std::vector<Crater> craters = placeCraters(shape, random);

    MeshData mesh;
    float largest = 0;
    for (const Vec3& d : sphere.directions) {
        const float r = radiusAt(d, shape, noise, craters);
        const Vec3 p{d.x * r * shape.stretch.x, d.y * r * shape.stretch.y, d.z * r * shape.stretch.z};
        mesh.positions.push_back(p);
        largest = std::max(largest, length(p));
        // Texture coordinates follow the undisplaced direction, so craters do
        // not smear the map.
        mesh.u.push_back(clamp01(0.5f + std::atan2(d.z, d.x) / (2.0f * kPi)));
        mesh.v.push_back(clamp01(std::acos(std::clamp(d.y, -1.0f, 1.0f)) / kPi));
    }
    const float scale = shape.boundingRadius / largest;
    for (Vec3& p : mesh.positions) p = p * scale;

    mesh.faces = sphere.faces;
    // Area-weighted face normals summed per vertex give smooth shading that
    // still follows the craters.
    mesh.normals.assign(mesh.positions.size(), Vec3{});
    for (const auto& f : mesh.faces) {
        const Vec3 n = cross(mesh.positions[f[1]] - mesh.positions[f[0]],
                             mesh.positions[f[2]] - mesh.positions[f[0]]);
        for (int corner : f) mesh.normals[corner] = mesh.normals[corner] + n;
    }
    for (size_t i = 0; i < mesh.normals.size(); ++i) {
        mesh.normals[i] = normalize(mesh.normals[i]);
        // A vertex whose faces cancel out would have no direction; fall back
        // to its radius, which is outward by construction.
        if (length(mesh.normals[i]) < 0.5f) mesh.normals[i] = normalize(mesh.positions[i]);
    }
    return mesh;
}

std::string formatObj(const MeshData& mesh, const std::string& comment) {
    std::string out = "# " + comment + "\n";
    char line[160];
    for (const Vec3& p : mesh.positions) {
        std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", p.x, p.y, p.z);
        out += line;
    }
    for (const Vec3& n : mesh.normals) {
        std::snprintf(line, sizeof line, "vn %.6f %.6f %.6f\n", n.x, n.y, n.z);
        out += line;
    }
    for (size_t i = 0; i < mesh.u.size(); ++i) {
        std::snprintf(line, sizeof line, "vt %.6f %.6f\n", mesh.u[i], mesh.v[i]);
        out += line;
    }
    for (const auto& f : mesh.faces) {
        std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", f[0] + 1, f[0] + 1,
                      f[0] + 1, f[1] + 1, f[1] + 1, f[1] + 1, f[2] + 1, f[2] + 1, f[2] + 1);
        out += line;
    }
    return out;
}

}  // namespace gen
