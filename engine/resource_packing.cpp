#include "engine/resource_packing.h"

#include <cstdlib>
#include <filesystem>

#include "engine/absolute_path.h"
#include "engine/archive.h"

namespace fs = std::filesystem;

namespace {

// The archive in the cache folder: reused when current, else packed anew.
bool packIntoCache(const std::string& dir, const std::string& cacheFile, std::string& error) {
    if (archiveMatchesDirectory(cacheFile, dir)) return true;
    std::error_code fsError;
    fs::create_directories(fs::path(cacheFile).parent_path(), fsError);
    if (fsError) {
        error = fsError.message();
        return false;
    }
    return packDirectory(dir, cacheFile, error);
}

}  // namespace

std::string userCacheFolder() {
    // Relative values are invalid by the XDG rules and are ignored.
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/vesper-glint";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/vesper-glint";
    return {};
}

PackedResources packResources(const std::string& dir, const std::string& file) {
    std::error_code fsError;
    if (!fs::is_directory(dir, fsError))
        return {file, {}, "Cannot pack " + dir + " into " + file + " (no folder " + dir +
                              "); using the archive as it is"};
    if (archiveMatchesDirectory(file, dir)) return {file, {}, {}};
    std::string fileError;
    if (packDirectory(dir, file, fileError)) return {file, {}, {}};

    const std::string refused = "Cannot write " + absolutePath(file) + " (" + fileError + ")";
    const std::string cacheFolder = userCacheFolder();
    std::string cacheError = "no cache folder: neither XDG_CACHE_HOME nor HOME is set";
    if (!cacheFolder.empty()) {
        const std::string cacheFile = cacheFolder + "/" + fs::path(file).filename().string();
        if (packIntoCache(dir, cacheFile, cacheError))
            return {cacheFile, {}, refused + "; packed " + absolutePath(dir) + " into " + cacheFile + " instead"};
        cacheError = cacheFile + ": " + cacheError;
    }
    PackedResources inMemory;
    std::string memoryError;
    if (packDirectoryInMemory(dir, inMemory.bytes, memoryError)) {
        inMemory.note = refused + " nor " + cacheError + "; packed " + absolutePath(dir) + " in memory instead";
        return inMemory;
    }
    return {file, {}, refused + " and cannot pack it in memory (" + memoryError + "); using " + file +
                          " as it is, which may not match " + dir};
}
