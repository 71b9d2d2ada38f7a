#include "engine/resource_packing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/absolute_path.h"
#include "engine/archive.h"

namespace fs = std::filesystem;

namespace {

// Makes the missing folders of `folder` for ourselves alone (0700), as the
// cache folders of the XDG rules are made.
bool makeFolders(const fs::path& folder, std::string& error) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return true;
    if (folder.has_parent_path() && folder.parent_path() != folder && !makeFolders(folder.parent_path(), error))
        return false;
    if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
    error = folder.string() + ": " + std::strerror(errno);
    return false;
}

// The archive in the cache folder: reused when current, else packed anew.
// A folder others can change is refused before anything is read from it.
bool packIntoCache(const std::string& dir, const std::string& cacheFile, std::string& error) {
    const fs::path folder = fs::path(cacheFile).parent_path();
    if (!makeFolders(folder, error)) return false;
    const std::string unsafe = unsafeFolderReason(folder.string());
    if (!unsafe.empty()) {
        error = folder.string() + " is not safe: " + unsafe;
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

}  // namespace

std::string unsafeFolderReason(const std::string& folder) {
    char resolved[PATH_MAX];
    if (!realpath(folder.c_str(), resolved)) return folder + ": " + std::strerror(errno);
    for (fs::path at = resolved;; at = at.parent_path()) {
        struct stat info {};
        if (stat(at.c_str(), &info) != 0) return at.string() + ": " + std::strerror(errno);
        if (info.st_uid != geteuid() && info.st_uid != 0)
            return at.string() + " belongs to another user (uid " + std::to_string(info.st_uid) + ")";
        const bool sticky = info.st_mode & S_ISVTX;
        if ((info.st_mode & S_IWOTH) && !sticky) return at.string() + " is writable by every user";
        if ((info.st_mode & S_IWGRP) && !sticky && info.st_gid != getegid())
            return at.string() + " is writable by group " + std::to_string(info.st_gid);
        if (at == at.parent_path()) return {};
    }
}

std::string userCacheFolder() {
    // Relative values are invalid by the XDG rules and are ignored.
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/vesper-glint";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/vesper-glint";
    return {};
}

namespace {

// Packs into `file`, else the cache, else memory.
PackedResources packSomewhere(const std::string& dir, const std::string& file) {
    std::error_code fsError;
    if (!fs::is_directory(dir, fsError))
        return {file, {}, "Cannot pack " + dir + " into " + file + " (no folder " + dir +
                              "); using the archive as it is", {}};
    if (archiveMatchesDirectory(file, dir)) return {file, {}, {}, {}};
    std::string fileError;
    if (packDirectory(dir, file, fileError)) return {file, {}, {}, {}};

    const std::string refused = "Cannot write " + absolutePath(file) + " (" + fileError + ")";
    const std::string cacheFolder = userCacheFolder();
    std::string cacheError = "neither XDG_CACHE_HOME nor HOME is set";
    if (!cacheFolder.empty()) {
        const std::string cacheFile = cacheFolder + "/" + fs::path(file).filename().string();
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
