// Fuzz target: the mesh loader and renderer. Its corpus runs in CTest
// (mesh_corpus); `make fuzz` runs it under libFuzzer.
//
// The first byte chooses the render mode, the next 28 the placement (seven
// floats); the rest is the file.
// Whatever the file, the mesh must hold together (every face's corners are
// vertices, the draw list is the faces reordered) and nothing may be written
// outside the picture.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "render/mesh.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/vg-mesh-fuzz-" + std::to_string(::getpid()) + ".obj";
    return path;
}

std::vector<std::tuple<int, int, int>> sortedCorners(const std::vector<MeshFace>& faces) {
    std::vector<std::tuple<int, int, int>> corners;
    for (const MeshFace& face : faces) corners.emplace_back(face.index0, face.index1, face.index2);
    std::sort(corners.begin(), corners.end());
    return corners;
}

bool holdsTogether(const Mesh& mesh) {
    if (mesh.vertices.size() != static_cast<std::size_t>(mesh.vertexCount) ||
        mesh.viewVertices.size() != mesh.vertices.size() ||
        mesh.faces.size() != static_cast<std::size_t>(mesh.faceCount) || mesh.drawList.size() != mesh.faces.size())
        return false;
    for (const MeshFace& face : mesh.faces)
        for (int index : {face.index0, face.index1, face.index2})
            if (index < 0 || index >= mesh.vertexCount) return false;
    return true;
}

// Pixels on each side of the picture that must stay untouched.
constexpr std::size_t kGuard = 4096;
constexpr std::uint32_t kGuardValue = 0xDEADBEEFu;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int mode = size > 0 ? data[0] % 5 : 0;
    float placement[7] = {};  // what the input is too short to give stays 0
    const std::size_t head = std::min(size, 1 + sizeof placement);
    if (head > 1) std::memcpy(placement, data + 1, head - 1);
    data += head;
    size -= head;

    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (file == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    static std::vector<std::uint32_t> texture(256 * 256, 0x00808080u);  // exact size: a stray read shows
    static std::vector<std::uint32_t> picture(320 * 200 + 2 * kGuard, kGuardValue);
    Mesh mesh;
    mesh.load(scratchPath());
    if (!holdsTogether(mesh)) __builtin_trap();
    if (mode == 4) mesh.fitUnitSphere();
    mesh.setPosition(NORVALE_VIRELLO::Vector(placement[0], placement[1], placement[2]));
    mesh.setRotation(placement[3], placement[4], placement[5]);
    mesh.setScale(placement[6]);
    mesh.setRenderMode(mode == 4 ? 1 : mode);
    mesh.setTexture(texture.data());
    mesh.transform();
    if (sortedCorners(mesh.drawList) != sortedCorners(mesh.faces)) __builtin_trap();
    mesh.render(picture.data() + kGuard);
    const auto guard = [](std::uint32_t pixel) { return pixel == kGuardValue; };
    if (!std::all_of(picture.begin(), picture.begin() + kGuard, guard) ||
        !std::all_of(picture.end() - kGuard, picture.end(), guard))
        __builtin_trap();
    return 0;
}
