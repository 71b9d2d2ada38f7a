#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <cstring>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/vrl.h"
#include "render/mesh.h"
#include "render/mesh_loader.h"
#include "tests/support/scratch_folder.h"

namespace {

class MeshLoaderTest : public ::testing::Test {
protected:
    ScratchFolder files{"mesh-loader"};

    Mesh loadText(const std::string& contents) {
        Mesh mesh;
        mesh.load(files.write("mesh.obj", contents));
        return mesh;
    }

    // Loads with logging on and returns what the loader reported.
    std::string loadAndCaptureMessages(Mesh& mesh, const std::string& path) {
        vrlSetLogging(1);
        ::testing::internal::CaptureStderr();
        mesh.load(path);
        std::string messages = ::testing::internal::GetCapturedStderr();
        vrlSetLogging(0);
        return messages;
    }
};

// Three vertices with everything a valid file needs, for tests about faces.
const std::string kTriangleAttributes =
    "v 0 0 1\nv 1 0 1\nv 0 1 1\n"
    "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n"
    "vt 0 0\nvt 1 0\nvt 0 1\n";

void expectVector(const NORVALE_VIRELLO::Vector& actual, float x, float y, float z) {
    for (auto [got, wanted] : {std::pair{actual.x, x}, {actual.y, y}, {actual.z, z}}) EXPECT_FLOAT_EQ(got, wanted);
}

void expectIndices(const MeshFace& face, int i0, int i1, int i2) {
    EXPECT_EQ(std::tuple(face.index0, face.index1, face.index2), std::tuple(i0, i1, i2));
}

TEST_F(MeshLoaderTest, VertexAndNormalLinesDivideByWOnlyOnFiveTokenLinesAndTexelsTruncate) {
    const Mesh mesh = loadText(
        "v 1 2 3 2\n"        // four numbers: the fourth is w
        "v 1 2 3 2 9\n"      // five numbers: w ignored
        "v -4.5 2e1 .25\n"
        "vn 0 0 2 2\nvn 0 0 2\nvn 3 4 0 9 9\n"
        "vt 0.5 1\nvt 0.999 0 7\nvt 0 0\n");
    ASSERT_EQ(mesh.vertexCount, 3);
    expectVector(mesh.vertices[0].position, 0.5f, 1.0f, 1.5f);
    expectVector(mesh.vertices[1].position, 1.0f, 2.0f, 3.0f);
    expectVector(mesh.vertices[2].position, -4.5f, 20.0f, 0.25f);
    expectVector(mesh.vertices[0].normal, 0.0f, 0.0f, 1.0f);
    expectVector(mesh.vertices[1].normal, 0.0f, 0.0f, 2.0f);  // not normalised
    expectVector(mesh.vertices[2].normal, 3.0f, 4.0f, 0.0f);
    for (const MeshVertex& view : mesh.viewVertices) expectVector(view.position, 0, 0, 0);
    // Texture coordinates scale by 255 and truncate.
    EXPECT_EQ(std::pair(mesh.vertices[0].u, mesh.vertices[0].v), std::pair(127, 255));
    EXPECT_EQ(std::pair(mesh.vertices[1].u, mesh.vertices[1].v), std::pair(254, 0));
}

TEST_F(MeshLoaderTest, FaceReferenceFormsAllNameTheVertexOnly) {
    const Mesh mesh = loadText(kTriangleAttributes +
                               "f 1/4/7 2/5/8 3/6/9\n"
                               "f 1 2 3\n"
                               "f 1//7 2//8 3//9\n"
                               "f 1/4 2/5 3/6\n"
                               "f 3 2 1 2\n");  // a fourth corner is dropped
    ASSERT_EQ(mesh.faceCount, 5);
    for (int j = 0; j < 4; ++j) expectIndices(mesh.faces[j], 0, 1, 2);
    expectIndices(mesh.faces[4], 2, 1, 0);
    for (const MeshFace& face : mesh.faces) {
        EXPECT_EQ(std::tuple(face.blue, face.green, face.red, face.depth), std::tuple(255, 255, 255, 0.0f));
        const float third = 1.0f / std::sqrt(3.0f);
        expectVector(face.normal, third, third, third);  // the vertex normals' normalised sum
    }
    ASSERT_EQ(mesh.drawList.size(), 5u);
    for (const MeshFace& scratch : mesh.drawList) expectIndices(scratch, 0, 0, 0);
}

TEST_F(MeshLoaderTest, KeywordsAreCaseSensitiveWholeTokensAndCarriageReturnsAreWhitespace) {
    const Mesh mesh = loadText("# v 9 9 9\nV 9 9 9\nvx 9 9 9\nv9 9 9\nVN 1 1 1\nVT 1 1\n"
                               "o thing\ng group\ns 1\nusemtl stone\n\n   \t\n" +
                               kTriangleAttributes + "F 1 2 3\nf 1 2 3\n");
    EXPECT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(mesh.faceCount, 1);
    expectVector(mesh.vertices[0].normal, 1, 0, 0);
    EXPECT_EQ(mesh.vertices[1].u, 255);

    const Mesh crlf = loadText("v 1 2 3\r\nv\t4 5 6\r\nv 7 8 9 \r\n"
                               "vn 0 0 1\r\nvn 0 0 1\r\nvn 0 0 1\r\n"
                               "vt 0 0\r\nvt 0 0\r\nvt 0 0\r\nf 1 2 3\r\n");
    ASSERT_EQ(crlf.vertexCount, 3);
    ASSERT_EQ(crlf.faceCount, 1);
    expectVector(crlf.vertices[1].position, 4, 5, 6);
    expectVector(crlf.vertices[2].position, 7, 8, 9);
}

TEST_F(MeshLoaderTest, AttributesPairWithVerticesByFileOrder) {
    const Mesh interleaved = loadText(
        "v 1 0 0\nvn 1 0 0\nvt 0.1 0.2\n"
        "v 0 1 0\nvn 0 1 0\nvt 0.3 0.4\n"
        "v 0 0 1\nvn 0 0 1\nvt 0.5 0.6\n"
        "f 1/3/3 2/2/2 3/1/1\n");
    const Mesh attributesLast = loadText(
        "v 1 0 0\nv 0 1 0\nv 0 0 1\n"
        "f 1/3/3 2/2/2 3/1/1\n"
        "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\nvt 0.9 0.9\n"  // a surplus line is ignored
        "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\nvn 9 9 9\n");
    ASSERT_EQ(interleaved.vertexCount, 3);
    ASSERT_EQ(attributesLast.vertexCount, 3);
    for (int k = 0; k < 3; ++k) {
        const MeshVertex& a = interleaved.vertices[k];
        const MeshVertex& b = attributesLast.vertices[k];
        expectVector(b.position, a.position.x, a.position.y, a.position.z);
        expectVector(b.normal, a.normal.x, a.normal.y, a.normal.z);
        EXPECT_EQ(std::pair(b.u, b.v), std::pair(a.u, a.v));
    }
    // The face's texture and normal numbers do not reorder the attributes.
    expectVector(interleaved.vertices[0].normal, 1, 0, 0);
    EXPECT_EQ(interleaved.vertices[0].u, 25);
    EXPECT_EQ(interleaved.vertices[2].v, 153);
}

void expectEmpty(const Mesh& mesh) {
    EXPECT_EQ(std::tuple(mesh.vertexCount, mesh.faceCount, mesh.vertices.size(), mesh.faces.size(),
                         mesh.drawList.size()),
              std::tuple(0, 0, 0u, 0u, 0u));
}

TEST_F(MeshLoaderTest, AMissingFileGivesAnEmptyMeshAndIsNamedOnce) {
    // Several effects load the same file; the user hears of it once.
    const std::string path = (files / "absent.obj").string();
    Mesh first, second;
    EXPECT_EQ(loadAndCaptureMessages(first, path),
              "Cannot open mesh " + path + " (No such file or directory); it is not drawn\n");
    EXPECT_EQ(loadAndCaptureMessages(second, path), "");
    expectEmpty(first);
    expectEmpty(second);
    // A valid file only says that it is parsed.
    const std::string good = files.write("good.obj", kTriangleAttributes + "f 1 2 3\n");
    EXPECT_EQ(loadAndCaptureMessages(first, good), "Parsing mesh " + good + "\n");
}

TEST_F(MeshLoaderTest, MeshesPastTheLimitsAreRefusedWholeWithAMessage) {
    std::string atLimit = kTriangleAttributes;
    for (std::size_t i = 0; i < kMaxMeshFaces; ++i) atLimit += "f 1 2 3\n";
    Mesh accepted;
    loadAndCaptureMessages(accepted, files.write("at-limit.obj", atLimit));
    EXPECT_EQ(accepted.faceCount, static_cast<int>(kMaxMeshFaces));

    Mesh tooManyFaces;
    const std::string facesPath = files.write("faces.obj", atLimit + "f 3 2 1\n");
    EXPECT_NE(loadAndCaptureMessages(tooManyFaces, facesPath).find("has more than 200000 faces"), std::string::npos);
    expectEmpty(tooManyFaces);

    std::string vertices;
    for (std::size_t i = 0; i <= kMaxMeshVertices; ++i) vertices += "v\n";
    Mesh tooManyVertices;
    const std::string verticesPath = files.write("vertices.obj", vertices + "f 1 2 3\n");
    EXPECT_NE(loadAndCaptureMessages(tooManyVertices, verticesPath).find("more than 600000 vertices"),
              std::string::npos);
    expectEmpty(tooManyVertices);
}

TEST_F(MeshLoaderTest, AFileLargerThanTheLimitIsNotEvenParsed) {
    const std::string path = files.write("huge.obj", kTriangleAttributes + "f 1 2 3\n");
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(kMaxMeshFileBytes) + 1), 0);
    Mesh mesh;
    const std::string messages = loadAndCaptureMessages(mesh, path);
    EXPECT_EQ(messages, "Mesh " + path + " is larger than 64 MB; it is not drawn\n");
    expectEmpty(mesh);
}

TEST_F(MeshLoaderTest, BadFacesAreDroppedAndReportedOnce) {
    Mesh mesh;
    const std::string path = files.write("bad-faces.obj", kTriangleAttributes +
                                                              "f 1 2 3\n"
                                                              "f 1 2 4\n"    // past the end
                                                              "f 0 1 2\n"    // zero
                                                              "f -1 1 2\n"   // relative
                                                              "f 1 2\n"      // two corners
                                                              "f\n"
                                                              "f x y z\n"    // unreadable
                                                              "f 3/1 1/1 2/1\n");
    const std::string messages = loadAndCaptureMessages(mesh, path);
    ASSERT_EQ(mesh.faceCount, 2);
    ASSERT_EQ(mesh.drawList.size(), 2u);
    expectIndices(mesh.faces[0], 0, 1, 2);
    expectIndices(mesh.faces[1], 2, 0, 1);  // later faces keep their own corners
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 2) << messages;
    EXPECT_NE(messages.find("6 faces dropped"), std::string::npos) << messages;
}

TEST_F(MeshLoaderTest, MissingAttributesAndNumbersAreRepairedWithZeros) {
    Mesh mesh;
    const std::string path = files.write("short.obj",
                                         "v 1 2\n"         // z missing
                                         "v 1 nan 3\n"     // y unreadable
                                         "v 2 4 6 oops\n"  // w unreadable: stays 1
                                         "vn 0 0 1\n"
                                         "vt 0.5 0.5\nf 1 2 3\n");
    const std::string messages = loadAndCaptureMessages(mesh, path);
    ASSERT_EQ(mesh.vertexCount, 3);
    ASSERT_EQ(mesh.faceCount, 1);
    expectVector(mesh.vertices[0].position, 1, 2, 0);
    expectVector(mesh.vertices[1].position, 1, 0, 3);
    expectVector(mesh.vertices[2].position, 2, 4, 6);
    expectVector(mesh.vertices[0].normal, 0, 0, 1);
    expectVector(mesh.vertices[1].normal, 0, 0, 0);
    EXPECT_EQ(mesh.vertices[0].u, 127);
    EXPECT_EQ(std::pair(mesh.vertices[2].u, mesh.vertices[2].v), std::pair(0, 0));
    EXPECT_NE(messages.find("3 numbers missing or unreadable, 2 vertices without a normal, "
                            "2 without texture coordinates, 0 faces dropped"),
              std::string::npos)
        << messages;
}

TEST(MeshLoaderHelpers, NumbersReadExactlyAsAStreamReadsThemInEveryForm) {
    // The loader takes short cuts for plain numbers; none may read a token
    // differently from a C-locale stream, and one that does not read leaves
    // the value as it was.
    const char* tokens[] = {"", "abc", "x1", "-2e2", "0", "-0", "+.5", "1.", ".", "-", "+", "1e5", "1E-3",
                            "1e", "1e+", "2.5e+3x", "1e39", "-1e39", "3.4028235e38", "3.4028236e38", "1e-45",
                            "7e-46", "1e-50", "0x1p3", "inf", "nan", "1.5abc", "00012.5000",
                            "123456789012345678901234567890", "99999999999", "1e999", "0.1", "-7.999999999", "1..2",
                            "12/3", "007", "999999999", "2147483647", "2147483648", "-2147483648"};
    const auto expectAsStreamed = [](const char* token, auto parse, auto value) {
        auto expected = value, streamed = value;
        std::istringstream stream(token);
        stream.imbue(std::locale::classic());
        const bool read = static_cast<bool>(stream >> streamed);
        if (read) expected = streamed;
        EXPECT_EQ(parse(value, token), read) << token;
        // Bit for bit: a float of -0 is not 0.
        EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << token << ": " << value << " not " << expected;
    };
    for (const char* token : tokens) {
        expectAsStreamed(token, parseFloat, 42.0f);
        expectAsStreamed(token, parseInt, 42);
    }
}

TEST_F(MeshLoaderTest, ReadFileTextTakesUpToItsLimitAndNotAByteMore) {
    const std::string path = files.write("ten.txt", "V 1\n\nF 2\r\nx");
    std::string text = "stale";
    EXPECT_EQ(readFileText(path, 11, text), FileRead::Ok);
    EXPECT_EQ(text, "V 1\n\nF 2\r\nx");
    EXPECT_EQ(readFileText(path, 10, text), FileRead::TooLarge);
    EXPECT_EQ(text, "");
    EXPECT_EQ(readFileText((files / "absent.txt").string(), 11, text), FileRead::NotOpened);

    // A pipe has no size to ask in advance: its bytes are counted.
    const std::string pipePath = (files / "pipe.obj").string();
    ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
    std::thread writer([&] { files.write("pipe.obj", "V 1\n\nF 2\r\nx"); });
    EXPECT_EQ(readFileText(pipePath, 10, text), FileRead::TooLarge);
    writer.join();
}

TEST_F(MeshLoaderTest, FitUnitSphereScalesPositionsOnlyAndLeavesDegenerateMeshesAlone) {
    Mesh mesh = loadText("v 3 4 0\nv 0 0 1\nvn 0 2 0\nvn 1 0 0\nvt 0.5 0.5\nvt 1 1\nf 1 2 2\n");
    mesh.fitUnitSphere();
    expectVector(mesh.vertices[0].position, 0.6f, 0.8f, 0.0f);
    expectVector(mesh.vertices[1].position, 0.0f, 0.0f, 0.2f);
    expectVector(mesh.vertices[0].normal, 0.0f, 2.0f, 0.0f);
    EXPECT_EQ(mesh.vertices[0].u, 127);
    expectIndices(mesh.faces[0], 0, 1, 1);

    // Degenerate meshes are left alone.
    Mesh atOrigin = loadText("v 0 0 0\nv 0 0 0\n");
    atOrigin.fitUnitSphere();
    for (const MeshVertex& vertex : atOrigin.vertices) expectVector(vertex.position, 0, 0, 0);
    Mesh empty;
    empty.fitUnitSphere();
    EXPECT_TRUE(empty.vertices.empty());
}

}  // namespace
