#pragma once
// Helpers for the content tests: private scratch folders, whole-file reads
// and JPEG decoding of what the generator wrote.
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& purpose)
        : folder_(std::filesystem::temp_directory_path() /
                  ("vg-content-" + purpose + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "resources");
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path() const { return folder_.string(); }
    std::string resources() const { return (folder_ / "resources").string(); }
    std::string write(const std::string& name, const std::string& contents) const {
        const std::string file = (folder_ / name).string();
        std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
        return file;
    }

private:
    std::filesystem::path folder_;
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline const std::string kGeneratorData = std::string(VG_SOURCE_DIR) + "/tools/gen/data";
inline const std::string kShowResources = std::string(VG_SHOW_DIR) + "/resources";

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
};

// Decodes with the same library the engine uses; an invalid picture on failure.
inline DecodedPicture decodeJpeg(const std::string& path) {
    const std::string bytes = readWholeFile(path);
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
