// Feeds the loader and renderer a seeded corpus of broken mesh files and wild
// placements. Nothing may be read or written outside the mesh's arrays, the
// texture or the picture; the sanitizer build checks the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "render/mesh.h"
#include "render/mesh_renderer.h"
#include "tests/render/mesh_test_files.h"

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

class Corpus {
public:
    explicit Corpus(std::uint32_t seed) : random_(seed) {}

    std::string next() {
        if (chance(8)) return randomBytes(pick(0, 600));
        std::string text = validMesh();
        const int mutations = pick(1, 5);
        for (int i = 0; i < mutations; ++i) mutate(text);
        return text;
    }

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool chance(int oneIn) { return pick(0, oneIn - 1) == 0; }
    float real(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(random_); }

private:
    std::mt19937 random_;

    std::string validMesh() {
        std::ostringstream text;
        const int vertices = pick(3, 24);
        for (int i = 0; i < vertices; ++i)
            text << "v " << real(-2, 2) << ' ' << real(-2, 2) << ' ' << real(-2, 2) << '\n';
        for (int i = 0; i < vertices; ++i)
            text << "vn " << real(-1, 1) << ' ' << real(-1, 1) << ' ' << real(-1, 1) << '\n';
        for (int i = 0; i < vertices; ++i) text << "vt " << real(0, 1) << ' ' << real(0, 1) << '\n';
        const int faces = pick(1, 40);
        for (int j = 0; j < faces; ++j)
            text << "f " << pick(1, vertices) << '/' << pick(1, vertices) << ' ' << pick(1, vertices)
                 << "//" << pick(1, vertices) << ' ' << pick(1, vertices) << '\n';
        return text.str();
    }

    std::string randomBytes(int count) {
        std::string bytes;
        for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(pick(0, 255)));
        return bytes;
    }

    std::string nastyLine() {
        static const char* const lines[] = {
            "f 0 1 2", "f -1 -2 -3", "f 999999999 1 2", "f 1", "f 1 2", "f", "v", "vn", "vt",
            "v 1e39 2 3", "v 1 2 3 0", "v 0 0 0 0", "vn nan 1 2", "vt 1e30 -1e30", "vt 3 -2",
            "v 1 2 3 1e-40", "f 1/2/3/4/5 //// 2", "f 2147483647 2147483648 -2147483648",
            "v 3.4e38 -3.4e38 1e-38", "vt -0.5 1.5", "v - + .", "f 1 1 1 1 1 1 1 1 1",
            "v 1 2 3 4 5 6", "vt 0.999999 0.999999", "f 1/1/1 2/2/2 3/3/3 4/4/4"};
        return std::string(lines[pick(0, static_cast<int>(std::size(lines)) - 1)]) + "\n";
    }

    void mutate(std::string& text) {
        const int size = static_cast<int>(text.size());
        switch (pick(0, 5)) {
            case 0:  // flip a byte
                if (size > 0) text[pick(0, size - 1)] = static_cast<char>(pick(0, 255));
                break;
            case 1:  // cut a stretch out
                if (size > 0) {
                    const int from = pick(0, size - 1);
                    text.erase(from, pick(1, 40));
                }
                break;
            case 2:  // insert a hostile line at a line start
            {
                std::size_t at = text.find('\n', pick(0, std::max(size - 1, 0)));
                at = at == std::string::npos ? text.size() : at + 1;
                text.insert(at, nastyLine());
                break;
            }
            case 3:  // truncate
                text.resize(pick(0, size));
                break;
            case 4:  // splice in binary junk
                text.insert(pick(0, size), randomBytes(pick(1, 30)));
                break;
            default:  // drop every line of one kind
            {
                static const char* const kinds[] = {"vn ", "vt ", "v ", "f "};
                const std::string kind = kinds[pick(0, 3)];
                std::istringstream in(text);
                std::string line, kept;
                while (std::getline(in, line))
                    if (line.rfind(kind, 0) != 0) kept += line + "\n";
                text = kept;
                break;
            }
        }
    }
};

std::vector<std::tuple<int, int, int>> sortedCorners(const std::vector<MeshFace>& faces) {
    std::vector<std::tuple<int, int, int>> corners;
    for (const MeshFace& face : faces) corners.emplace_back(face.index0, face.index1, face.index2);
    std::sort(corners.begin(), corners.end());
    return corners;
}

void expectConsistent(const Mesh& mesh, int fileNumber) {
    ASSERT_EQ(mesh.vertices.size(), static_cast<std::size_t>(mesh.vertexCount)) << fileNumber;
    ASSERT_EQ(mesh.viewVertices.size(), mesh.vertices.size()) << fileNumber;
    ASSERT_EQ(mesh.faces.size(), static_cast<std::size_t>(mesh.faceCount)) << fileNumber;
    ASSERT_EQ(mesh.drawList.size(), mesh.faces.size()) << fileNumber;
    for (const MeshFace& face : mesh.faces) {
        for (int index : {face.index0, face.index1, face.index2}) {
            ASSERT_GE(index, 0) << fileNumber;
            ASSERT_LT(index, mesh.vertexCount) << fileNumber;
        }
    }
}

NORVALE_VIRELLO::Vector wildPosition(Corpus& corpus) {
    switch (corpus.pick(0, 3)) {
        case 0: return {corpus.real(-1, 1), corpus.real(-1, 1), corpus.real(2, 4)};  // like the show
        case 1: return {corpus.real(-3, 3), corpus.real(-3, 3), corpus.real(-0.5f, 0.5f)};
        case 2: return {corpus.real(-1e6f, 1e6f), corpus.real(-1e6f, 1e6f), corpus.real(-1e-6f, 1e-6f)};
        default: return {0.0f, 0.0f, corpus.real(0.0f, 1e-30f)};
    }
}

float wildScale(Corpus& corpus) {
    const float scales[] = {0.0f, 1.0f, 0.0002f, 3.0f, 1e30f, -1.0f};
    return scales[corpus.pick(0, 5)];
}

TEST(MeshRobustness, BrokenFilesAndWildPlacementsStayInBounds) {
    MeshFileFolder files("robustness");
    Corpus corpus(0x5EED1234u);
    const std::vector<std::uint32_t> texels(256 * 256, 0x00808080u);  // exact size: any stray read shows
    GuardedPicture picture;
    int facesDrawn = 0;
    for (int fileNumber = 0; fileNumber < 2500; ++fileNumber) {
        Mesh mesh;
        mesh.load(files.write("corpus.obj", corpus.next()));
        expectConsistent(mesh, fileNumber);
        if (corpus.chance(4)) mesh.fitUnitSphere();
        for (int placement = 0; placement < 2; ++placement) {
            mesh.setPosition(wildPosition(corpus));
            mesh.setRotation(corpus.real(-7, 7), corpus.real(-7, 7), corpus.real(-7, 7));
            mesh.setScale(wildScale(corpus));
            mesh.setRenderMode(corpus.pick(0, 4));
            mesh.setTexture(texels.data());
            mesh.transform();
            ASSERT_EQ(sortedCorners(mesh.drawList), sortedCorners(mesh.faces)) << fileNumber;
            mesh.render(picture.pixels());
            facesDrawn += mesh.faceCount;
        }
        ASSERT_TRUE(picture.guardsIntact()) << "file " << fileNumber;
    }
    EXPECT_GT(facesDrawn, 10000);  // the corpus is not all rejects
}

TEST(MeshRobustness, TrianglesWithExtremeCornersStayInBounds) {
    Corpus corpus(0xC0FFEEu);
    const std::vector<std::uint32_t> texels(256 * 256, 0x00404040u);
    GuardedPicture picture;
    const auto extreme = [&corpus]() {
        switch (corpus.pick(0, 3)) {
            case 0: return INT_MIN;
            case 1: return INT_MAX;
            case 2: return corpus.pick(-400, 600);
            default: return corpus.pick(INT_MIN, INT_MAX);
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
        textureSpan(extreme(), extreme(), corpus.pick(0, 199), extreme(), extreme(), extreme(), extreme(),
                    texels.data(), picture.pixels());
        fillSpan(extreme(), extreme(), extreme(), 0x0000FF00u, picture.pixels());
        ASSERT_TRUE(picture.guardsIntact()) << trial;
    }
}

}  // namespace
