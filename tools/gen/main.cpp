// vesper-gen: makes the show's content (song, pictures, meshes) into a
// working directory, and the whole of it also packs resources/ into the
// datafile.pak an installed, read-only copy ships with.
// Usage: vesper-gen --data DIR --out DIR [--only song|pictures|meshes]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "engine/archive.h"
#include "tools/gen/generator.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: vesper-gen --data DIR --out DIR [--only song|pictures|meshes]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dataDir, outDir, only;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--data") && hasValue) dataDir = argv[++i];
        else if (!std::strcmp(argv[i], "--out") && hasValue) outDir = argv[++i];
        else if (!std::strcmp(argv[i], "--only") && hasValue) only = argv[++i];
        else return usage();
    }
    if (dataDir.empty() || outDir.empty()) return usage();
    if (!only.empty() && only != "song" && only != "pictures" && only != "meshes") return usage();

    const std::string resourcesDir = outDir + "/resources";
    std::error_code error;
    std::filesystem::create_directories(resourcesDir, error);
    if (error) {
        std::fprintf(stderr, "vesper-gen: cannot create %s: %s\n", resourcesDir.c_str(),
                     error.message().c_str());
        return 1;
    }

    // The song is the long part; pictures and meshes are made beside it.
    bool songOk = true, picturesOk = true, meshesOk = true;
    std::thread songThread([&] {
        if (only.empty() || only == "song") songOk = generateSong(dataDir, resourcesDir);
    });
    if (only.empty() || only == "pictures") picturesOk = generatePictures(dataDir, resourcesDir);
    if (only.empty() || only == "meshes") meshesOk = generateMeshes(dataDir, outDir);
    songThread.join();
    if (!(songOk && picturesOk && meshesOk)) return 1;
    std::string packError;
    if (only.empty() && !packDirectory(resourcesDir, outDir + "/datafile.pak", packError)) {
        std::fprintf(stderr, "vesper-gen: cannot pack %s: %s\n", resourcesDir.c_str(), packError.c_str());
        return 1;
    }
    return 0;
}
