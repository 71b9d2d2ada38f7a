#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "render/mesh.h"
#include "render/mesh_renderer.h"
#include "tests/support/scratch_folder.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr std::uint32_t kBackground = 0x00123456u;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;
constexpr std::uint32_t kColour = 0x00A0B0C0u;

using Picture = std::vector<std::uint32_t>;

Picture blankPicture() { return Picture(kWidth * kHeight, kBackground); }

std::uint32_t& at(Picture& picture, int x, int y) { return picture[y * kWidth + x]; }

// Every texel names its own row and column, so a pixel tells where it was sampled.
std::vector<std::uint32_t> coordinateTexture() {
    std::vector<std::uint32_t> texels(256 * 256);
    for (std::uint32_t v = 0; v < 256; ++v)
        for (std::uint32_t u = 0; u < 256; ++u) texels[v * 256 + u] = 0x01000000u | v << 8 | u;
    return texels;
}

std::uint32_t texel(int v, int u) { return 0x01000000u | std::uint32_t(v) << 8 | std::uint32_t(u); }

MeshVertex corner(int x, int y, int u = 0, int v = 0) { return {{}, {}, x, y, u, v}; }

// Columns of one row that hold `value`.
std::vector<int> columnsWith(Picture& picture, int y, std::uint32_t value) {
    std::vector<int> columns;
    for (int x = 0; x < kWidth; ++x)
        if (at(picture, x, y) == value) columns.push_back(x);
    return columns;
}

std::vector<int> range(int first, int last) {
    std::vector<int> values(last - first + 1);
    std::iota(values.begin(), values.end(), first);
    return values;
}

// --- spans ------------------------------------------------------------------

TEST(FillSpan, ClipsToTheScreenWithAnExclusiveRightEnd) {
    Picture picture = blankPicture();
    fillSpan(-10, 400, 50, kColour, picture.data());
    EXPECT_EQ(columnsWith(picture, 50, kColour), range(0, 318));
    fillSpan(10, 3, 60, kColour, picture.data());
    EXPECT_EQ(columnsWith(picture, 60, kColour), range(3, 9));
    fillSpan(5, 5, 70, kColour, picture.data());
    fillSpan(-50, -1, 71, kColour, picture.data());
    fillSpan(320, 500, 72, kColour, picture.data());
    fillSpan(0, 1, 199, kColour, picture.data());
    EXPECT_EQ(std::count(picture.begin(), picture.end(), kColour), 319 + 7 + 1);
    EXPECT_EQ(columnsWith(picture, 199, kColour), std::vector<int>{0});
}

TEST(TextureSpan, CoordinatesOutsideTheTextureWrapBothWays) {
    const std::vector<std::uint32_t> texels = coordinateTexture();
    Picture picture = blankPicture();
    textureSpan(10, 30, 40, 250, 270, -5, 15, texels.data(), picture.data());
    EXPECT_EQ(at(picture, 10, 40), texel(251, 250));
    EXPECT_EQ(at(picture, 20, 40), texel(5, 4));
    textureSpan(10, 12, 41, -2000000000, 2000000000, 0, 0, texels.data(), picture.data());
    EXPECT_NE(at(picture, 11, 41), kBackground);
}

// --- triangles --------------------------------------------------------------

TEST(FillTriangle, HugeCornersFillTheScreenWithoutWalkingEveryRow) {
    Picture picture = blankPicture();
    fillTriangle(corner(-2000000000, -2000000000), corner(2000000000, -2000000000),
                 corner(0, 2000000000), kColour, picture.data());
    for (int y = 0; y < kHeight; ++y) ASSERT_EQ(columnsWith(picture, y, kColour), range(0, 318)) << y;
}

// Corners, texture coordinates and spans anywhere in 32-bit range write
// nothing outside the picture (the sanitizer build checks the texture reads
// and the arithmetic).
TEST(TriangleWalk, ExtremeCornersStayInsideThePicture) {
    std::mt19937 random(0xC0FFEEu);
    const auto extreme = [&random] {
        const int near = static_cast<int>(random() % 1000) - 400, anywhere = static_cast<int>(random());
        const int kinds[] = {INT_MIN, INT_MAX, near, anywhere};
        return kinds[random() % 4];
    };
    const std::vector<std::uint32_t> texels(256 * 256, kColour);  // exact size: a stray read shows
    constexpr int kGuard = 4096;
    Picture guarded(kWidth * kHeight + 2 * kGuard, kBackground);
    std::uint32_t* picture = guarded.data() + kGuard;
    for (int trial = 0; trial < 3000; ++trial) {
        MeshVertex c[3];
        for (MeshVertex& corner : c) corner = {{}, {}, extreme(), extreme(), extreme(), extreme()};
        fillTriangle(c[0], c[1], c[2], kWhite, picture);
        textureTriangle(c[0], c[1], c[2], texels.data(), picture);
        const int row = static_cast<int>(random() % 200);
        textureSpan(extreme(), extreme(), row, extreme(), extreme(), extreme(), extreme(), texels.data(), picture);
        fillSpan(extreme(), extreme(), extreme(), kWhite, picture);
    }
    for (int row : {-1, kHeight}) fillSpan(0, kWidth, row, kWhite, picture);  // the rows just outside
    EXPECT_EQ(std::count(guarded.begin(), guarded.begin() + kGuard, kBackground), kGuard);
    EXPECT_EQ(std::count(guarded.end() - kGuard, guarded.end(), kBackground), kGuard);
}

// The scan conversion as literally described, in 32 bits, walking every row
// and column. The renderer clamps its loops to the screen; both must write
// the same pixels for every triangle whose 32-bit walk does not overflow:
// flat tops drawn twice, bottom rows left out, corners in any order,
// triangles of no height.
struct LiteralWalker {
    const std::uint32_t* texels;
    std::uint32_t colour;
    std::uint32_t* target;

    void span(int y, int x1, int x2, int u1, int u2, int v1, int v2) const {
        if (texels == nullptr) {
            fillSpan(x1, x2, y, colour, target);
            return;
        }
        if (y < 5 || y > 195 || x1 == x2) return;
        if (x1 > x2) {
            std::swap(x1, x2);
            std::swap(u1, u2);
            std::swap(v1, v2);
        }
        const int du = ((u2 - u1) << 8) / (x2 - x1);
        const int dv = ((v2 - v1) << 8) / (x2 - x1);
        int u = u1 * 256, v = v1 * 256;
        for (int x = x1; x <= x2; ++x) {
            if (x >= 1 && x <= 318) target[y * kWidth + x] = texels[((v >> 8) & 255) * 256 + (u >> 8)];
            u += du;
            v += dv;
        }
    }

    void triangle(MeshVertex a, MeshVertex b, MeshVertex c) const {
        if (a.screenY > c.screenY) std::swap(a, c);
        if (b.screenY > c.screenY) std::swap(b, c);
        if (a.screenY > b.screenY) std::swap(a, b);
        if (a.screenY == c.screenY) return;
        const auto slope = [](int from, int to, int rows) { return ((to - from) << 16) / rows; };
        const int rowsL = c.screenY - a.screenY;
        const int dxL = slope(a.screenX, c.screenX, rowsL), duL = slope(a.u, c.u, rowsL), dvL = slope(a.v, c.v, rowsL);
        int xS, uS, vS, xL, uL, vL;
        if (b.screenY == a.screenY) {
            span(a.screenY, a.screenX, b.screenX, a.u, b.u, a.v, b.v);
            xS = b.screenX * 65536; uS = b.u * 65536; vS = b.v * 65536;
            xL = a.screenX * 65536; uL = a.u * 65536; vL = a.v * 65536;
        } else {
            const int rows = b.screenY - a.screenY;
            const int dxS = slope(a.screenX, b.screenX, rows), duS = slope(a.u, b.u, rows), dvS = slope(a.v, b.v, rows);
            xS = xL = a.screenX * 65536; uS = uL = a.u * 65536; vS = vL = a.v * 65536;
            for (int y = a.screenY; y < b.screenY; ++y) {
                span(y, xS >> 16, xL >> 16, uS >> 16, uL >> 16, vS >> 16, vL >> 16);
                xS += dxS; uS += duS; vS += dvS; xL += dxL; uL += duL; vL += dvL;
            }
        }
        if (c.screenY == b.screenY) {
            span(b.screenY, b.screenX, c.screenX, b.u, c.u, b.v, c.v);
            return;
        }
        const int rows = c.screenY - b.screenY;
        const int dxS = slope(b.screenX, c.screenX, rows), duS = slope(b.u, c.u, rows), dvS = slope(b.v, c.v, rows);
        for (int y = b.screenY; y < c.screenY; ++y) {
            span(y, xS >> 16, xL >> 16, uS >> 16, uL >> 16, vS >> 16, vL >> 16);
            xS += dxS; uS += duS; vS += dvS; xL += dxL; uL += duL; vL += dvL;
        }
    }
};

TEST(TriangleWalk, ClampedLoopsMatchTheLiteralWalkOnRandomTriangles) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> column(-400, 700), row(-250, 450), texture(0, 255);
    std::uniform_int_distribution<int> nearColumn(-20, 340), nearRow(-20, 220);
    const std::vector<std::uint32_t> texels = coordinateTexture();
    for (int trial = 0; trial < 1200; ++trial) {
        const bool nearScreen = trial % 2 == 0;
        MeshVertex corners[3];
        for (MeshVertex& c : corners) {
            c = corner(nearScreen ? nearColumn(random) : column(random),
                       nearScreen ? nearRow(random) : row(random), texture(random), texture(random));
        }
        if (trial % 7 == 0) corners[1].screenY = corners[0].screenY;  // flat tops and bottoms
        if (trial % 11 == 0) corners[2].screenY = corners[1].screenY;

        Picture expected = blankPicture(), actual = blankPicture();
        LiteralWalker{nullptr, kColour, expected.data()}.triangle(corners[0], corners[1], corners[2]);
        fillTriangle(corners[0], corners[1], corners[2], kColour, actual.data());
        ASSERT_EQ(expected, actual) << "solid trial " << trial;

        Picture expectedTextured = blankPicture(), actualTextured = blankPicture();
        LiteralWalker{texels.data(), 0, expectedTextured.data()}.triangle(corners[0], corners[1], corners[2]);
        textureTriangle(corners[0], corners[1], corners[2], texels.data(), actualTextured.data());
        ASSERT_EQ(expectedTextured, actualTextured) << "textured trial " << trial;
    }
}

// --- transform and render ---------------------------------------------------

class MeshRenderTest : public ::testing::Test {
protected:
    ScratchFolder files{"mesh-renderer"};

    struct Vertex {
        float x, y, z, nx, ny, nz, u, v;
    };

    // Loads a mesh whose faces are consecutive vertex triples.
    void loadTriangles(Mesh& mesh, const std::vector<Vertex>& corners) {
        std::ostringstream text;
        text.precision(9);
        for (const Vertex& c : corners) text << "v " << c.x << ' ' << c.y << ' ' << c.z << '\n';
        for (const Vertex& c : corners) text << "vn " << c.nx << ' ' << c.ny << ' ' << c.nz << '\n';
        for (const Vertex& c : corners) text << "vt " << c.u << ' ' << c.v << '\n';
        for (std::size_t i = 0; i + 2 < corners.size(); i += 3)
            text << "f " << i + 1 << ' ' << i + 2 << ' ' << i + 3 << '\n';
        mesh.load(files.write("mesh.obj", text.str()));
    }

    // The mesh transformed and drawn in `mode` into a blank picture.
    static Picture rendered(Mesh& mesh, int mode) {
        mesh.setRenderMode(mode);
        mesh.transform();
        Picture picture = blankPicture();
        mesh.render(picture.data());
        return picture;
    }

    // A flat-shaded picture of the triangles.
    Picture renderFlat(const std::vector<Vertex>& corners) {
        Mesh mesh;
        loadTriangles(mesh, corners);
        return rendered(mesh, 1);
    }

    // Two of each view vertex's whole-number fields.
    using Pairs = std::vector<std::pair<int, int>>;
    static Pairs onScreen(const Mesh& mesh, int MeshVertex::*first, int MeshVertex::*second) {
        Pairs pairs;
        for (const MeshVertex& vertex : mesh.viewVertices) pairs.emplace_back(vertex.*first, vertex.*second);
        return pairs;
    }

    // A view-space point that projects exactly onto (column, row) at depth 1.
    static Vertex onScreen(int column, int row, float nx, float ny, float nz) {
        return {(column - 160) / 256.0f, (row - 100) / 256.0f, 1.0f, nx, ny, nz, 0.0f, 0.0f};
    }
};

TEST_F(MeshRenderTest, ProjectionTruncatesTowardZero) {
    Mesh mesh;
    loadTriangles(mesh, {{1, 0, 2, 0, 0, 1, 0, 0}, {-1, -1, 4, 0, 0, 1, 0, 0}, {-0.7f, 0.3f, 1, 0, 0, 1, 0, 0}});
    mesh.setRenderMode(1);
    mesh.transform();
    // -19.2 becomes -19, not -20.
    EXPECT_EQ(onScreen(mesh, &MeshVertex::screenX, &MeshVertex::screenY), (Pairs{{288, 100}, {96, 36}, {-19, 176}}));

    // Scale applies before the offset: (1, 0, 2) * 2 + (0, 0, 3) = (2, 0, 7).
    mesh.setScale(2.0f);
    mesh.setPosition(NORVALE_VIRELLO::Vector(0.0f, 0.0f, 3.0f));
    mesh.transform();
    EXPECT_EQ(mesh.viewVertices[0].screenX, 233);
    EXPECT_FLOAT_EQ(mesh.viewVertices[0].position.z, 7.0f);
}

TEST_F(MeshRenderTest, RotationTurnsPositionsAndNormalsButNotScaleNormals) {
    Mesh mesh;
    loadTriangles(mesh, {{1, 0, 0, 2, 0, 0, 0, 0}, {0, 1, 0, 0, 1, 0, 0, 0}, {0, 0, 1, 0, 0, 1, 0, 0}});
    mesh.setRotation(0.0f, 0.0f, 1.5707963f);  // a quarter turn about Z
    mesh.setScale(3.0f);
    mesh.transform();
    const MeshVertex& turned = mesh.viewVertices[0];
    // The normal is rotated, not rescaled or renormalised.
    for (auto [actual, expected] : {std::pair{turned.position.x, 0.0f}, {turned.position.y, 3.0f},
                                    {turned.normal.x, 0.0f}, {turned.normal.y, 2.0f}})
        EXPECT_NEAR(actual, expected, 1e-6f);
}

TEST_F(MeshRenderTest, EnvironmentModeTakesTextureCoordinatesFromViewNormals) {
    Mesh mesh;
    loadTriangles(mesh, {{0, 0, 1, 0, 0, -1, 0.5f, 0.25f},
                         {0, 0, 1, 1, 1, 0, 0.5f, 0.25f},
                         {0, 0, 1, -1, -1, 0, 0.5f, 0.25f}});
    mesh.setRenderMode(3);
    mesh.transform();
    EXPECT_EQ(onScreen(mesh, &MeshVertex::u, &MeshVertex::v), (Pairs{{128, 128}, {255, 255}, {1, 1}}));
    for (int mode : {1, 2}) {
        mesh.setRenderMode(mode);
        mesh.transform();
        EXPECT_EQ(onScreen(mesh, &MeshVertex::u, &MeshVertex::v)[1], std::pair(127, 63));
    }
}

TEST_F(MeshRenderTest, DepthUsesTheFactorPointThreeThreeThreeThree) {
    Mesh mesh;
    loadTriangles(mesh, {{0, 0, 1, 0, 0, 1, 0, 0}, {0, 0, 2, 0, 0, 1, 0, 0}, {0, 0, 4, 0, 0, 1, 0, 0}});
    mesh.transform();
    EXPECT_EQ(mesh.faces[0].depth, 7.0f * 0.3333f);
    EXPECT_NE(mesh.faces[0].depth, 7.0f / 3.0f);
    EXPECT_EQ(mesh.drawList[0].depth, mesh.faces[0].depth);
}

TEST_F(MeshRenderTest, DrawListIsAFarToNearPermutationOfTheFaces) {
    std::mt19937 random(77);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    std::vector<Vertex> corners;
    for (int i = 0; i < 600; ++i) {
        // Some faces share a depth exactly to exercise ties.
        const float z = i % 9 == 0 ? 2.0f : coordinate(random);
        corners.push_back({coordinate(random), coordinate(random), z, 0, 0, 1, 0, 0});
    }
    Mesh mesh;
    loadTriangles(mesh, corners);
    ASSERT_EQ(mesh.faceCount, 200);
    mesh.setPosition(NORVALE_VIRELLO::Vector(0.0f, 0.0f, 4.0f));
    for (float angle : {0.0f, 0.7f, 2.9f}) {
        mesh.setRotation(angle, 2.0f * angle, -angle);
        mesh.transform();
        ASSERT_EQ(mesh.drawList.size(), 200u);
        for (std::size_t i = 1; i < mesh.drawList.size(); ++i)
            EXPECT_GE(mesh.drawList[i - 1].depth, mesh.drawList[i].depth);
        std::vector<std::tuple<int, int, int>> drawn, loaded;
        for (const MeshFace& face : mesh.drawList) drawn.emplace_back(face.index0, face.index1, face.index2);
        for (const MeshFace& face : mesh.faces) loaded.emplace_back(face.index0, face.index1, face.index2);
        std::sort(drawn.begin(), drawn.end());
        std::sort(loaded.begin(), loaded.end());
        EXPECT_EQ(drawn, loaded);
    }
}

TEST_F(MeshRenderTest, FlatShadingLightsFromPlusXAndMarksTheFirstCorner) {
    struct Case {
        float nx, ny, nz;
        std::uint32_t colour;
    };
    // 255 * cos 45 degrees = 180.3
    const Case cases[] = {{1, 0, 0, kWhite}, {-1, 0, 0, 0}, {0, 0, 0, 0}, {1, 1, 0, 0x00B4B4B4u}, {0, 1, 0, 0}};
    for (const Case& c : cases) {
        Picture picture = renderFlat({onScreen(100, 100, c.nx, c.ny, c.nz), onScreen(60, 60, c.nx, c.ny, c.nz),
                                      onScreen(60, 100, c.nx, c.ny, c.nz)});
        EXPECT_EQ(at(picture, 70, 90), c.colour) << c.nx << ',' << c.ny;
        for (int y = 100; y < 105; ++y)
            for (int x = 100; x < 105; ++x) EXPECT_EQ(at(picture, x, y), kWhite) << x << ',' << y;
        EXPECT_EQ(at(picture, 105, 100), kBackground);
        EXPECT_EQ(at(picture, 100, 105), kBackground);
    }
}

TEST_F(MeshRenderTest, MarkersComeBeforeTheirOwnTriangleAndNeedRoomForTheWholeBlock) {
    Picture covered =
        renderFlat({onScreen(100, 100, -1, 0, 0), onScreen(140, 140, -1, 0, 0), onScreen(100, 140, -1, 0, 0)});
    EXPECT_EQ(at(covered, 104, 100), kWhite);
    EXPECT_EQ(at(covered, 100, 104), 0u);  // covered by the black face

    const std::pair<int, int> firstCorners[] = {{0, 50}, {315, 50}, {150, 0}, {150, 195}, {314, 194}, {1, 1}};
    for (const auto& [x, y] : firstCorners) {
        Picture picture = renderFlat({onScreen(x, y, -1, 0, 0), onScreen(x, y, -1, 0, 0), onScreen(x, y, -1, 0, 0)});
        const bool expectMarker = x >= 1 && x <= 314 && y >= 1 && y <= 194;
        EXPECT_EQ(std::count(picture.begin(), picture.end(), kWhite), expectMarker ? 25 : 0) << x << ',' << y;
    }
}

TEST_F(MeshRenderTest, OnlyModesOneToThreeDrawAndRenderingRepeats) {
    const std::vector<std::uint32_t> texels = coordinateTexture();
    Mesh mesh, empty;
    loadTriangles(mesh, {onScreen(50, 50, 1, 0, 0), onScreen(150, 60, 1, 0, 0), onScreen(80, 150, 1, 0, 0)});
    mesh.setTexture(texels.data());
    for (int mode : {0, 4, -1}) EXPECT_EQ(rendered(mesh, mode), blankPicture()) << mode;
    for (int mode : {1, 2, 3}) {
        const Picture first = rendered(mesh, mode);
        Picture again = blankPicture();
        mesh.render(again.data());
        EXPECT_NE(first, blankPicture()) << mode;
        EXPECT_EQ(again, first) << mode;
    }
    mesh.setTexture(nullptr);  // a caller error: draws nothing rather than crash
    EXPECT_EQ(rendered(mesh, 3), blankPicture());
    empty.load(files.write("empty.obj", "# nothing\n"));
    EXPECT_EQ(rendered(empty, 1), blankPicture());
}

TEST_F(MeshRenderTest, FacesAtOrBehindTheViewerAreSkipped) {
    Vertex behind = onScreen(120, 120, 1, 0, 0), farBehind = behind;
    behind.z = 0.0f;
    farBehind.z = -3.0f;
    Picture picture = renderFlat({onScreen(10, 10, 1, 0, 0), onScreen(60, 20, 1, 0, 0), onScreen(20, 60, 1, 0, 0),
                                  onScreen(100, 100, 1, 0, 0), onScreen(150, 100, 1, 0, 0), behind,
                                  onScreen(200, 100, 1, 0, 0), onScreen(250, 100, 1, 0, 0), farBehind});
    EXPECT_EQ(at(picture, 30, 30), kWhite);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 90; x < kWidth; ++x) ASSERT_EQ(at(picture, x, y), kBackground) << x << ',' << y;
}

}  // namespace
