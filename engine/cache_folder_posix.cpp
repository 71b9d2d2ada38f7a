// The POSIX side of the cache folder of engine/resource_packing.h
// (platform/windows/cache_folder.cpp is the Windows one).
#include "engine/resource_packing.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

}  // namespace

bool makePrivateFolders(const std::string& folder, std::string& error) { return makeFolders(folder, error); }

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

