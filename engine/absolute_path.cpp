#include "engine/absolute_path.h"

#include <filesystem>
#include <system_error>

#include "engine/system_names.h"

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path result = std::filesystem::absolute(pathFromUtf8(path), error);
    return error ? path : utf8FromPath(result.lexically_normal());
}
