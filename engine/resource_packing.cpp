#include "engine/resource_packing.h"

#include <filesystem>

#include "engine/absolute_path.h"
#include "engine/archive.h"
#include "engine/system_names.h"

namespace fs = std::filesystem;

namespace {

// The archive in the cache folder: reused when current, else packed anew.
// A folder others can change is refused before anything is read from it.
bool packIntoCache(const std::string& dir, const std::string& cacheFile, std::string& error) {
    const std::string folder = utf8FromPath(pathFromUtf8(cacheFile).parent_path());
    if (!makePrivateFolders(folder, error)) return false;
    const std::string unsafe = unsafeFolderReason(folder);
    if (!unsafe.empty()) {
        error = folder + " is not safe: " + unsafe;
        return false;
    }
    if (archiveMatchesDirectory(cacheFile, dir)) return true;
    if (packDirectory(dir, cacheFile, error)) return true;
    error = cacheFile + ": " + error;
    return false;
}

std::string leftOutNote(const std::string& dir) {
    const std::vector<std::string> leftOut = entriesLeftOut(dir);
    if (leftOut.empty()) return {};
    // A few are enough to see what happened; a folder of thousands would
    // drown every other message.
    constexpr std::size_t kNamed = 3;
    std::string note = "Left out of the archive: ";
    for (std::size_t i = 0; i < std::min(leftOut.size(), kNamed); ++i) note += (i ? ", " : "") + leftOut[i];
    if (leftOut.size() > kNamed) note += " and " + std::to_string(leftOut.size() - kNamed) + " more";
    return note;
}

// Packs into `file`, else the cache, else memory.
PackedResources packSomewhere(const std::string& dir, const std::string& file) {
    std::error_code fsError;
    if (!fs::is_directory(pathFromUtf8(dir), fsError))
        return {file, {}, "Cannot pack " + dir + " into " + file + " (no folder " + dir +
                              "); using the archive as it is", {}};
    if (archiveMatchesDirectory(file, dir)) return {file, {}, {}, {}};
    std::string fileError;
    if (packDirectory(dir, file, fileError)) return {file, {}, {}, {}};

    const std::string refused = "Cannot write " + absolutePath(file) + " (" + fileError + ")";
    const std::string cacheFolder = userCacheFolder();
    std::string cacheError = "neither XDG_CACHE_HOME nor HOME is set";
    if (!cacheFolder.empty()) {
        const std::string cacheFile = cacheFolder + "/" + utf8FromPath(pathFromUtf8(file).filename());
        if (packIntoCache(dir, cacheFile, cacheError))
            return {cacheFile, {}, refused + "; packed " + absolutePath(dir) + " into " + cacheFile + " instead", {}};
    }
    PackedResources inMemory;
    std::string memoryError;
    if (packDirectoryInMemory(dir, inMemory.bytes, memoryError)) {
        inMemory.note = refused + ", nor into a cache folder (" + cacheError + "); packed " + absolutePath(dir) +
                        " in memory instead";
        return inMemory;
    }
    return {file, {}, refused + " and cannot pack it in memory (" + memoryError + "); using " + file +
                          " as it is, which may not match " + dir, {}};
}

}  // namespace

PackedResources packResources(const std::string& dir, const std::string& file) {
    PackedResources packed = packSomewhere(dir, file);
    packed.leftOut = leftOutNote(dir);
    return packed;
}
