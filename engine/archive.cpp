#include "engine/archive.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/output_file.h"
#include "engine/system_names.h"

namespace fs = std::filesystem;

namespace {

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// Rounded up, so a file just over the limit does not read as at it.
std::string megabytesText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kMegabyte = std::uintmax_t{1} << 20;
    return std::to_string(bytes / kMegabyte + (bytes % kMegabyte != 0)) + " MB";
}

// The regular files packing `dir` takes, sorted by name, and the entries it
// leaves out with their reasons. Every call takes an error_code: one odd
// entry (a link loop, a link to nothing) must not stop the show.
struct FolderFiles {
    std::vector<fs::path> files;
    std::vector<std::string> leftOut;
};

FolderFiles listFolder(const fs::path& dir) {
    FolderFiles listing;
    std::error_code error;
    fs::directory_iterator entry(dir, error);
    // A folder that cannot be opened packs nothing; packing says why.
    if (error) return listing;
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const fs::path& path = entry->path();
        std::error_code entryError;
        const fs::file_status status = fs::status(path, entryError);
        // Folders, sockets and the like are not content; an entry whose
        // kind cannot be told may be, so it is named.
        if (!entryError && !fs::is_regular_file(status)) continue;
        const std::uintmax_t size = entryError ? 0 : fs::file_size(path, entryError);
        if (entryError)
            listing.leftOut.push_back(utf8FromPath(path) + " (" + entryError.message() + ")");
        else if (size > kMaxMemberBytes)
            listing.leftOut.push_back(utf8FromPath(path) + " (" + megabytesText(size) + ", more than the " +
                                      megabytesText(kMaxMemberBytes) + " a member may have)");
        else
            listing.files.push_back(path);
    }
    if (error) listing.leftOut.push_back("what follows in " + utf8FromPath(dir) + " (" + error.message() + ")");
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.leftOut.begin(), listing.leftOut.end());
    return listing;
}

std::vector<fs::path> sortedFiles(const fs::path& dir) { return listFolder(dir).files; }

// Adds the files of `dir` as stored members; false with a message.
bool addFiles(zip_t* archive, const fs::path& dir, std::string& error) {
    for (const fs::path& file : sortedFiles(dir)) {
        // libzip takes file names as UTF-8 on Windows too.
        zip_source_t* source = zip_source_file(archive, utf8FromPath(file).c_str(), 0, -1);
        const std::string name = utf8FromPath(file.filename());
        zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            error = "cannot add " + utf8FromPath(file) + ": " + zip_strerror(archive);
            return false;
        }
        // Stored: pictures and the song are compressed already.
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        // A fixed time keeps the archive identical for identical files.
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 315532800, 0);
    }
    return true;
}

bool checkFolder(const std::string& dir, std::string& error) {
    std::error_code fsError;
    if (fs::is_directory(pathFromUtf8(dir), fsError)) return true;
    error = "no folder " + dir;
    return false;
}

}  // namespace

bool packDirectory(const std::string& dir, const std::string& archivePath, std::string& error) {
    if (!checkFolder(dir, error)) return false;
    // Built under a temporary name nobody can have planted and renamed once
    // whole: a failed pack never leaves a half-written archive under the
    // real name, two shows starting at once never write one file, and a
    // link at the archive's name is refused rather than followed. The
    // temporary is created first, so a folder that refuses it gives the
    // system's own reason; libzip would only say it could not open it.
    OutputFile output;
    if (!output.open(archivePath, NotRegular::Refuse, error)) return false;
    output.handOverToNamedWriter();
    int code = 0;
    zip_t* archive = zip_open(output.writtenName().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        error = zipErrorText(code);
        return false;
    }
    if (!addFiles(archive, pathFromUtf8(dir), error)) {
        zip_discard(archive);
        return false;
    }
    if (zip_close(archive) != 0) {
        error = zip_strerror(archive);
        zip_discard(archive);
        return false;
    }
    error = output.commit();
    return error.empty();
}

bool packDirectoryInMemory(const std::string& dir, std::vector<std::uint8_t>& bytes,
                           std::string& error) {
    if (!checkFolder(dir, error)) return false;
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &zipError) : nullptr;
    if (!archive) {
        error = std::string("cannot make an archive in memory: ") + zip_error_strerror(&zipError);
        if (buffer) zip_source_free(buffer);
        zip_error_fini(&zipError);
        return false;
    }
    zip_error_fini(&zipError);
    // The buffer outlives the archive: closing it writes the bytes there.
    zip_source_keep(buffer);
    bool ok = addFiles(archive, pathFromUtf8(dir), error);
    if (ok && zip_close(archive) != 0) {
        error = std::string("cannot pack in memory: ") + zip_strerror(archive);
        ok = false;
    }
    if (!ok) zip_discard(archive);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (ok && (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0)) {
        error = "cannot read the archive made in memory";
        ok = false;
    } else if (ok) {
        bytes.resize(stat.size);
        const zip_int64_t got = zip_source_read(buffer, bytes.data(), bytes.size());
        zip_source_close(buffer);
        ok = got == static_cast<zip_int64_t>(bytes.size());
        if (!ok) error = "cannot read the archive made in memory";
    }
    zip_source_free(buffer);
    return ok;
}

bool archiveMatchesDirectory(const std::string& archivePath, const std::string& dir) {
    std::error_code fsError;
    if (!fs::is_regular_file(pathFromUtf8(archivePath), fsError) || !fs::is_directory(pathFromUtf8(dir), fsError))
        return false;
    Archive archive;
    std::string error;
    if (!archive.open(archivePath, error)) return false;
    const std::vector<fs::path> files = sortedFiles(pathFromUtf8(dir));
    std::vector<std::string> fileNames;
    for (const fs::path& file : files) fileNames.push_back(utf8FromPath(file.filename()));
    std::vector<std::string> memberNames = archive.names();
    std::sort(memberNames.begin(), memberNames.end());
    if (memberNames != fileNames) return false;
    for (const fs::path& file : files)
        if (!archive.holdsSameBytesAs(utf8FromPath(file.filename()), utf8FromPath(file))) return false;
    return true;
}

std::vector<std::string> entriesLeftOut(const std::string& dir) { return listFolder(pathFromUtf8(dir)).leftOut; }

Archive::~Archive() { close(); }

bool Archive::open(const std::string& path, std::string& error) {
    close();
    int code = 0;
    zip_ = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip_) {
        error = zipErrorText(code);
        return false;
    }
    return true;
}

bool Archive::openMemory(std::vector<std::uint8_t> bytes, std::string& error) {
    close();
    memory_ = std::move(bytes);
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(memory_.data(), memory_.size(), 0, &zipError);
    if (source) zip_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError);
    if (!zip_) {
        error = zip_error_strerror(&zipError);
        if (source) zip_source_free(source);
        memory_.clear();
    }
    zip_error_fini(&zipError);
    return zip_ != nullptr;
}

void Archive::close() {
    if (zip_) zip_discard(zip_);
    zip_ = nullptr;
    memory_.clear();
}

std::vector<std::string> Archive::names() const {
    std::vector<std::string> result;
    if (!zip_) return result;
    const zip_int64_t count = zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < count; ++i)
        if (const char* name = zip_get_name(zip_, static_cast<zip_uint64_t>(i), 0)) result.push_back(name);
    return result;
}

bool Archive::holdsSameBytesAs(const std::string& name, const std::string& path) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    std::error_code sizeError;
    const std::uintmax_t size = fs::file_size(pathFromUtf8(path), sizeError);
    if (!zip_ || zip_stat(zip_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || sizeError ||
        stat.size != size)
        return false;
    std::ifstream onDisk(pathFromUtf8(path), std::ios::binary);
    zip_file_t* member = zip_fopen(zip_, name.c_str(), 0);
    if (!member || !onDisk) {
        if (member) zip_fclose(member);
        return false;
    }
    // A chunk at a time, up to the first difference: a member may be as
    // large as the limit, and most starts compare an unchanged folder.
    std::vector<char> packed(std::size_t{1} << 16), file(packed.size());
    bool same = true;
    for (;;) {
        // Reading past the end makes libzip check the CRC: -1 when damaged.
        const zip_int64_t got = zip_fread(member, packed.data(), packed.size());
        onDisk.read(file.data(), static_cast<std::streamsize>(file.size()));
        const auto read = static_cast<zip_int64_t>(onDisk.gcount());
        if (got < 0 || read != got || !std::equal(packed.begin(), packed.begin() + got, file.begin())) {
            same = false;
            break;
        }
        if (got == 0) break;
    }
    zip_fclose(member);
    return same;
}

std::optional<std::vector<std::uint8_t>> Archive::read(const std::string& name,
                                                       std::string& error) const {
    if (!zip_) {
        error = "no archive is open";
        return std::nullopt;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        error = "not in the archive";
        return std::nullopt;
    }
    // The size is what the archive claims; a damaged or foreign one may
    // claim gigabytes that it does not hold.
    if (stat.size > kMaxMemberBytes) {
        error = "it claims " + std::to_string(stat.size) + " bytes, more than the " +
                std::to_string(kMaxMemberBytes >> 20) + " MB a member may have";
        return std::nullopt;
    }
    zip_file_t* file = zip_fopen(zip_, name.c_str(), 0);
    if (!file) {
        error = zip_strerror(zip_);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(stat.size);
    zip_int64_t total = 0;
    while (total < static_cast<zip_int64_t>(bytes.size())) {
        const zip_int64_t got = zip_fread(file, bytes.data() + total, bytes.size() - total);
        if (got <= 0) break;
        total += got;
    }
    // libzip checks the CRC once the last byte has been read; one more read
    // makes it report a mismatch.
    char probe;
    const zip_int64_t extra = zip_fread(file, &probe, 1);
    const bool damaged = total != static_cast<zip_int64_t>(bytes.size()) || extra != 0;
    if (damaged) error = std::string("damaged: ") + zip_file_strerror(file);
    zip_fclose(file);
    if (damaged) return std::nullopt;
    return bytes;
}
