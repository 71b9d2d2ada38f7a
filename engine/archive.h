#pragma once
// The resource archive: a standard ZIP file of stored (uncompressed)
// entries, so ordinary zip tools can list and unpack it. Members are read
// whole and their CRC-32 is checked; a damaged member reads as missing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct zip;

// Packs the regular files of `dir` (not recursive, names sorted so the
// archive is the same for the same files), but those entriesLeftOut names. Returns false with a message;
// a failed pack leaves whatever was at `archivePath` untouched, and only a
// regular file there is replaced (engine/output_file.h).
bool packDirectory(const std::string& dir, const std::string& archivePath, std::string& error);
// The same archive, made in memory.
bool packDirectoryInMemory(const std::string& dir, std::vector<std::uint8_t>& bytes,
                           std::string& error);
// True when the archive at `archivePath` holds exactly the files of `dir`
// packing takes, byte for byte: packing again would change nothing.
bool archiveMatchesDirectory(const std::string& archivePath, const std::string& dir);
// The entries of `dir` packing leaves out, each "path (reason)": files over
// kMaxMemberBytes and entries whose kind cannot be told (a link loop, a
// link to nothing). Folders and other things that are not files are passed over.
std::vector<std::string> entriesLeftOut(const std::string& dir);

// Far above any picture or song the show accepts; a member claiming more is
// refused before anything is allocated for it.
constexpr std::uint64_t kMaxMemberBytes = std::uint64_t{256} << 20;

class Archive {
public:
    Archive() = default;
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool open(const std::string& path, std::string& error);
    // An archive held in memory; the archive keeps the bytes.
    bool openMemory(std::vector<std::uint8_t> bytes, std::string& error);
    void close();
    bool isOpen() const { return zip_ != nullptr; }

    // The member's bytes, or nothing (with a reason) when it is missing,
    // truncated or fails its CRC.
    std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::string& error) const;
    // True when member `name` is byte for byte the file at `path` and passes
    // its CRC; read in chunks, never whole.
    bool holdsSameBytesAs(const std::string& name, const std::string& path) const;
    // Every member's name, in the archive's order.
    std::vector<std::string> names() const;

private:
    zip* zip_ = nullptr;
    std::vector<std::uint8_t> memory_;
};
