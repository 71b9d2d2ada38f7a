// Makes the fuzz targets' seed corpora (tests/fuzz/corpus/<target>/): small
// files of our own making, each a valid input or a typical way one breaks.
// The files are committed; run this only to change them:
//
//   cmake --build build --target make_fuzz_corpus
//   build/make_fuzz_corpus tests/fuzz/corpus
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "tests/engine/test_files.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A picture of our own: a gradient, some of it subsampled, progressive or grey.
Bytes jpeg(int width, int height, int subsampling, int quality, int flags) {
    std::vector<unsigned int> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * width + x] = (x * 255 / width) | (y * 255 / height) << 8 | ((x + y) * 7 & 255) << 16;
    return encodeJpeg(pixels, width, height, subsampling, quality, flags);
}

// Rewrites the frame header's height and width (the first SOF marker).
Bytes withDeclaredSize(Bytes bytes, int width, int height) {
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = static_cast<std::uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<std::uint8_t>(height);
            bytes[i + 7] = static_cast<std::uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    return bytes;
}

Bytes firstPart(const Bytes& bytes, std::size_t percent) {
    return Bytes(bytes.begin(), bytes.begin() + bytes.size() * percent / 100);
}

Bytes garbled(Bytes bytes, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count && i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    return bytes;
}

void patchAll(Bytes& bytes, const char* signature, std::size_t offset, std::uint32_t value) {
    for (std::size_t at = 0; at + offset + 4 <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], signature, 4) == 0)
            for (int i = 0; i < 4; ++i) bytes[at + offset + i] = (value >> (8 * i)) & 0xFF;
}

Bytes packed(const fs::path& scratch, const std::vector<std::pair<std::string, Bytes>>& members) {
    fs::remove_all(scratch);
    fs::create_directories(scratch / "in");
    for (const auto& [name, bytes] : members) writeFile(scratch / "in" / name, bytes);
    std::string error;
    packDirectory((scratch / "in").string(), (scratch / "out.pak").string(), error);
    return readBytes(scratch / "out.pak");
}

// The mesh target's input: render mode byte, seven placement floats, text.
Bytes meshInput(std::uint8_t mode, std::vector<float> placement, const std::string& obj) {
    Bytes bytes{mode};
    placement.resize(7, 0.0f);
    for (float value : placement) {
        std::uint8_t raw[4];
        std::memcpy(raw, &value, 4);
        bytes.insert(bytes.end(), raw, raw + 4);
    }
    bytes.insert(bytes.end(), obj.begin(), obj.end());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path root = argc > 1 ? argv[1] : "tests/fuzz/corpus";
    const auto put = [&](const std::string& target, const std::string& name, const Bytes& bytes) {
        fs::create_directories(root / target);
        writeFile(root / target / name, bytes);
    };

    const Bytes small = jpeg(8, 8, TJSAMP_444, 100, TJFLAG_ACCURATEDCT);
    put("jpeg", "baseline-8x8-444", small);
    put("jpeg", "odd-17x13-420", jpeg(17, 13, TJSAMP_420, 75, 0));
    put("jpeg", "progressive-16x16", jpeg(16, 16, TJSAMP_422, 90, TJFLAG_PROGRESSIVE));
    put("jpeg", "grey-9x9", jpeg(9, 9, TJSAMP_GRAY, 80, 0));
    put("jpeg", "truncated", firstPart(jpeg(17, 13, TJSAMP_420, 75, 0), 60));
    put("jpeg", "declares-8192x8192", withDeclaredSize(small, 8192, 8192));
    put("jpeg", "declares-4097x1", withDeclaredSize(small, 4097, 1));
    put("jpeg", "declares-0x8", withDeclaredSize(small, 0, 8));
    put("jpeg", "empty", {});
    put("jpeg", "not-a-picture", text("GIF89a and then some"));

    const fs::path scratch = fs::temp_directory_path() / "vg-make-fuzz-corpus";
    const Bytes archive = packed(scratch, {{"kuva1.jpg", small}, {"notes.txt", text("vesper")}});
    put("zip", "two-members", archive);
    put("zip", "crc-fails", garbled(archive, 40, 4));
    put("zip", "no-central-directory", firstPart(archive, 70));
    Bytes claiming = archive;
    patchAll(claiming, "PK\x03\x04", 22, 0xF0000000u);
    patchAll(claiming, "PK\x01\x02", 24, 0xF0000000u);
    put("zip", "member-claims-4gb", claiming);
    Bytes manyEntries = archive;
    patchAll(manyEntries, "PK\x05\x06", 8, 0xFFFFFFFFu);
    put("zip", "end-record-claims-entries", manyEntries);
    // An end record and nothing else: a valid archive of no members.
    Bytes emptyArchive = text("PK\x05\x06");
    emptyArchive.resize(22, 0);
    put("zip", "no-members", emptyArchive);
    put("zip", "empty", {});
    put("zip", "junk", text("PK\x03\x04 but nothing after"));
    fs::remove_all(scratch);

    const Bytes song = encodeSineSong(440.0, 0.5, 0.3);
    put("ogg", "stereo-0.3s", song);
    put("ogg", "mono-0.2s", encodeSineSong(1000.0, 0.9, 0.2, -1.0, 1));
    put("ogg", "cut-short", firstPart(song, 70));
    put("ogg", "garbled-middle", garbled(song, song.size() / 2, 600));
    put("ogg", "headers-only", firstPart(song, 40));
    put("ogg", "empty", {});
    put("ogg", "not-ogg", text("OggS is how it starts, but not this"));

    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 -1\nvn 0 0 -1\nvn 0 0 -1\n"
                                 "vt 0 0\nvt 1 0\nvt 0 1\nf 1/1/1 2/2/2 3/3/3\n";
    put("mesh", "triangle-flat", meshInput(1, {0, 0, 3, 0.1f, 0.2f, 0.3f, 1}, triangle));
    put("mesh", "triangle-textured", meshInput(2, {0, 0, 3, 0, 0, 0, 50}, triangle));
    put("mesh", "triangle-fitted", meshInput(4, {0, 0, 2, 1, 2, 3, 1}, triangle));
    put("mesh", "broken-lines", meshInput(3, {0, 0, 5, 0, 0, 0, 1},
                                          "v 1 nan\nv\nvn 1 2 3 4 5\nvt x\nf 1 2\nf 9 9 9\nf 1 1 1\n"
                                          "f -1 2 3\nv 1e39 -1e39 0 0\n"));
    put("mesh", "placement-wild", meshInput(2, {1e30f, -1e30f, 1e-30f, 1e9f, 0, 0, 1e20f}, triangle));
    put("mesh", "polygon-and-spaces", meshInput(1, {0, 0, 4, 0, 0, 0, 1},
                                                "\tv  0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nv 1 1 0\r\n"
                                                "f 1 2 3 4 1\r\n"));
    // Lines that break a loader: bad indices, missing or absurd numbers.
    put("mesh", "hostile-lines", meshInput(2, {0.3f, -0.2f, 3, 1, 2, 3, 1},
                                           triangle + "f 0 1 2\nf -1 -2 -3\nf 999999999 1 2\nf 1\nvn nan 1 2\n"
                                                      "v 1 2 3 0\nv 0 0 0 0\nvt 1e30 -1e30\nvt 3 -2\n"
                                                      "v 1 2 3 1e-40\nf 1/2/3/4/5 //// 2\n"
                                                      "f 2147483647 2147483648 -2147483648\n"
                                                      "v 3.4e38 -3.4e38 1e-38\nv - + .\nf 1 1 1 1 1 1 1 1 1\n"
                                                      "f 1/1/1 2/2/2 3/3/3 4/4/4\n"));
    const std::string octahedron = "v 1 0 0\nv -1 0 0\nv 0 1 0\nv 0 -1 0\nv 0 0 1\nv 0 0 -1\n"
                                    "vn 1 0 0\nvn -1 0 0\nvn 0 1 0\nvn 0 -1 0\nvn 0 0 1\nvn 0 0 -1\n"
                                    "f 1 3 5\nf 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n";
    put("mesh", "no-texture-coordinates", meshInput(3, {0, 0, 3, 0.5f, 1, 1.5f, 1}, octahedron));
    // Through the viewer's plane, and scaled to nothing, far beyond range or inside out.
    put("mesh", "at-the-viewer", meshInput(1, {0, 0, 1e-31f, 0, 0, 0, 1}, octahedron));
    put("mesh", "scale-zero", meshInput(2, {0, 0, 3, 0, 0, 0, 0}, octahedron));
    put("mesh", "scale-huge", meshInput(3, {0, 0, 3, 1, 1, 1, 1e30f}, octahedron));
    put("mesh", "scale-negative", meshInput(1, {0.5f, 0.5f, 2, 0, 0, 0, -1}, octahedron));
    std::string noise;
    std::uint32_t state = 1;
    for (int i = 0; i < 300; ++i) noise.push_back(static_cast<char>((state = state * 214013u + 2531011u) >> 24));
    put("mesh", "random-bytes", meshInput(2, {0, 0, 3, 0, 0, 0, 1}, noise));
    return 0;
}
