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
// archive is the same for the same files). Returns false with a message.
bool packDirectory(const std::string& dir, const std::string& archivePath, std::string& error);

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
    void close();
    bool isOpen() const { return zip_ != nullptr; }

    // The member's bytes, or nothing (with a reason) when it is missing,
    // truncated or fails its CRC.
    std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::string& error) const;

private:
    zip* zip_ = nullptr;
};
