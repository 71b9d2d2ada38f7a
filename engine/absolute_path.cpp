#include "engine/absolute_path.h"

#include <filesystem>
#include <system_error>

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path result = std::filesystem::absolute(path, error);
    return error ? path : result.lexically_normal().string();
}
