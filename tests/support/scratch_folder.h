#pragma once
// What the test programs share for their files: a private scratch folder,
// whole-file reads and writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    const std::string text = readFile(path);
    return {text.begin(), text.end()};
}

template <typename Bytes>
void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh empty folder, removed with everything in it when the object goes.
// Named by the process and the running case: CTest runs cases side by side
// as separate processes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& purpose = "scratch") {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("vg-" + purpose + "-" + std::to_string(::getpid()) + (test ? std::string("-") + test->name() : ""));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return folder_; }
    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }
    // Writes `contents` byte for byte and returns the file's path.
    std::string write(const std::string& name, const std::string& contents) const {
        writeFile(folder_ / name, contents);
        return (folder_ / name).string();
    }

private:
    std::filesystem::path folder_;
};
