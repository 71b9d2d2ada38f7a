#pragma once
// Mesh tests write their fixtures as small text files in a private folder.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class MeshFileFolder {
public:
    explicit MeshFileFolder(const std::string& purpose)
        : folder_(std::filesystem::temp_directory_path() /
                  ("vg-mesh-" + purpose + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~MeshFileFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    MeshFileFolder(const MeshFileFolder&) = delete;
    MeshFileFolder& operator=(const MeshFileFolder&) = delete;

    // Writes `contents` byte for byte and returns the file's path.
    std::string write(const std::string& name, const std::string& contents) const {
        const std::string path = (folder_ / name).string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << contents;
        return path;
    }
    std::string pathOf(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};
