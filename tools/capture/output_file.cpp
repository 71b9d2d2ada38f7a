#include "tools/capture/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

std::string temporaryNameFor(const std::string& path) {
    const fs::path target(path);
    std::string name = target.stem().string();
    name.insert(name.begin(), '.');
    name += ".part-" + std::to_string(getpid());
    name += target.extension().string();
    return (target.parent_path() / name).string();
}

std::string commitTemporary(const std::string& temporary, const std::string& path) {
    if (std::rename(temporary.c_str(), path.c_str()) == 0) return {};
    const std::string reason = std::strerror(errno);
    discardTemporary(temporary);
    return "cannot write " + path + ": " + reason;
}

void discardTemporary(const std::string& temporary) { std::remove(temporary.c_str()); }

std::string writeThroughTemporary(const std::string& path,
                                  const std::function<std::string(std::FILE*)>& write) {
    const std::string temporary = temporaryNameFor(path);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return "cannot create " + temporary + ": " + std::strerror(errno);
    std::string reason = write(file);
    // Buffered bytes meet a full disk only here.
    if (std::fflush(file) != 0 && reason.empty()) reason = std::strerror(errno);
    if (std::fclose(file) != 0 && reason.empty()) reason = std::strerror(errno);
    if (!reason.empty()) {
        discardTemporary(temporary);
        return "cannot write " + path + ": " + reason;
    }
    return commitTemporary(temporary, path);
}

std::string writeTextFile(const std::string& path, const std::string& text) {
    return writeThroughTemporary(path, [&](std::FILE* file) -> std::string {
        if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return {};
        return std::strerror(errno);
    });
}
