// The POSIX side of engine/system_names.h: names are bytes, used as they are.
#include "engine/system_names.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

std::filesystem::path pathFromUtf8(const std::string& name) { return name; }

std::string utf8FromPath(const std::filesystem::path& path) { return path.string(); }

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

bool enterFolder(const std::string& folder, std::string& reason) {
    if (chdir(folder.c_str()) == 0) return true;
    reason = std::strerror(errno);
    return false;
}

std::string executableFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}
