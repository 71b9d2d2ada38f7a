#pragma once
// Helpers for the content tests: where the generator's data and output
// lie, and JPEG decoding of what it wrote.
#include <turbojpeg.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/build_paths.h"
#include "tests/support/scratch_folder.h"

// The folder under `scratch` the generator writes pictures into.
inline std::string resourcesOf(const ScratchFolder& scratch) {
    std::filesystem::create_directories(scratch / "resources");
    return (scratch / "resources").string();
}

inline const std::string kGeneratorData = build_paths::sourceDir() + "/tools/gen/data";
inline const std::string kShowResources = build_paths::showDir() + "/resources";

struct DecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // 3 bytes a pixel, rows top down

    bool valid() const { return width > 0 && height > 0; }
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    int brightest(int x, int y) const {
        const unsigned char* p = at(x, y);
        return std::max({p[0], p[1], p[2]});
    }
    // The brightest channel on the outermost ring of pixels, or anywhere.
    int brightestOnBorder() const {
        int most = 0;
        for (int x = 0; x < width; ++x) most = std::max({most, brightest(x, 0), brightest(x, height - 1)});
        for (int y = 0; y < height; ++y) most = std::max({most, brightest(0, y), brightest(width - 1, y)});
        return most;
    }
    int brightestAnywhere() const {
        int most = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) most = std::max(most, brightest(x, y));
        return most;
    }
};

// Decodes with the same library the engine uses; an invalid picture on failure.
inline DecodedPicture decodeJpeg(const std::string& path) {
    const std::string bytes = readFile(path);
    DecodedPicture picture;
    if (bytes.empty()) return picture;
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    if (tjDecompressHeader3(handle, data, bytes.size(), &width, &height, &subsampling, &colorspace) == 0) {
        picture.rgb.resize(static_cast<size_t>(width) * height * 3);
        if (tjDecompress2(handle, data, bytes.size(), picture.rgb.data(), width, 0, height, TJPF_RGB, 0) == 0) {
            picture.width = width;
            picture.height = height;
        }
    }
    tjDestroy(handle);
    return picture;
}
