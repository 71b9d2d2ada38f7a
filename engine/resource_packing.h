#pragma once
// Where the show's archive comes from. The pictures and the song are packed
// from resources/ at every start; when the archive cannot be written where
// it was asked for (a read-only install, a full disk), the show must still
// play what resources/ holds, and say once what it did instead.
#include <cstdint>
#include <string>
#include <vector>

struct PackedResources {
    std::string path;                 // the archive to read; empty when it is in `bytes`
    std::vector<std::uint8_t> bytes;  // the archive, when it was made in memory
    std::string note;                 // what was done instead of what was asked, or empty
    std::string leftOut;              // the entries of the folder left out and why, or empty
};

// Packs `dir` into `file`, unless `file` already holds exactly what `dir`
// holds (then nothing is written). When `file` cannot be written: the
// user's cache folder, else memory. A stale archive is only used when
// `dir` cannot be packed at all, and the note says so.
PackedResources packResources(const std::string& dir, const std::string& file);

// $XDG_CACHE_HOME/vesper-glint, else ~/.cache/vesper-glint; empty when
// neither variable names a folder.
std::string userCacheFolder();

// Makes the missing folders of `folder` for ourselves alone (on Linux
// 0700, as the cache folders of the XDG rules are made). False with the
// folder that could not be made and why.
bool makePrivateFolders(const std::string& folder, std::string& error);

// Why `folder` is no place for files of ours: it or a folder above it
// belongs to another user (root aside), or others may write in it without
// the sticky bit that keeps them off our entries — as ssh refuses such key
// folders. Empty when only we (and root) can change what is in it.
std::string unsafeFolderReason(const std::string& folder);
