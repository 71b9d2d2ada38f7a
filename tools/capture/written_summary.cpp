#include "tools/capture/written_summary.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/absolute_path.h"

std::string describeSize(std::uintmax_t bytes) {
    const char* const units[] = {"bytes", "kB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes);
    int unit = 0;
    while (size >= 1000.0 && unit < 4) {
        size /= 1000.0;
        ++unit;
    }
    char text[32];
    if (unit == 0)
        std::snprintf(text, sizeof text, "%ju bytes", bytes);
    else
        std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}

std::string describeDuration(std::chrono::steady_clock::duration took) {
    const double seconds = std::chrono::duration<double>(took).count();
    char text[32];
    if (seconds < 60.0) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
    } else {
        const long whole = static_cast<long>(seconds + 0.5);
        std::snprintf(text, sizeof text, "%ld min %ld s", whole / 60, whole % 60);
    }
    return text;
}

std::string describeFile(const std::string& path) {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(path, error);
    return absolutePath(path) + (error ? std::string() : " (" + describeSize(bytes) + ")");
}
