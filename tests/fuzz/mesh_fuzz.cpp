// Fuzz target: the mesh loader and renderer. Its corpus runs in CTest
// (mesh_corpus); `make fuzz` runs it under libFuzzer.
//
// The first bytes choose the placement and render mode; the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "render/mesh.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/vg-mesh-fuzz-" + std::to_string(::getpid()) + ".obj";
    return path;
}

float takeFloat(const std::uint8_t*& data, std::size_t& size) {
    float value = 0.0f;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int mode = size > 0 ? data[0] % 5 : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    float placement[7];
    for (float& value : placement) value = takeFloat(data, size);

    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (file == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    static std::vector<std::uint32_t> texture(256 * 256, 0x00808080u);
    static std::vector<std::uint32_t> picture(320 * 200, 0);
    Mesh mesh;
    mesh.load(scratchPath());
    if (mode == 4) mesh.fitUnitSphere();
    mesh.setPosition(NORVALE_VIRELLO::Vector(placement[0], placement[1], placement[2]));
    mesh.setRotation(placement[3], placement[4], placement[5]);
    mesh.setScale(placement[6]);
    mesh.setRenderMode(mode == 4 ? 1 : mode);
    mesh.setTexture(texture.data());
    mesh.transform();
    mesh.render(picture.data());
    return 0;
}
