#include "engine/archive.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::vector<fs::path> sortedFiles(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

bool packDirectory(const std::string& dir, const std::string& archivePath, std::string& error) {
    std::error_code fsError;
    if (!fs::is_directory(dir, fsError)) {
        error = "no folder " + dir;
        return false;
    }
    // Build beside the target and rename, so a failed pack never leaves a
    // half-written archive under the real name.
    const std::string tempPath = archivePath + ".tmp";
    int code = 0;
    zip_t* archive = zip_open(tempPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        error = "cannot create " + tempPath + ": " + zipErrorText(code);
        return false;
    }
    for (const fs::path& file : sortedFiles(dir)) {
        zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
        const std::string name = file.filename().string();
        zip_int64_t index = source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            error = "cannot add " + file.string() + ": " + zip_strerror(archive);
            zip_discard(archive);
            fs::remove(tempPath, fsError);
            return false;
        }
        // Stored: pictures and the song are compressed already.
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        // A fixed time keeps the archive identical for identical files.
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 315532800, 0);
    }
    if (zip_close(archive) != 0) {
        error = "cannot write " + archivePath + ": " + zip_strerror(archive);
        zip_discard(archive);
        fs::remove(tempPath, fsError);
        return false;
    }
    fs::rename(tempPath, archivePath, fsError);
    if (fsError) {
        error = "cannot rename " + tempPath + ": " + fsError.message();
        return false;
    }
    return true;
}

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

void Archive::close() {
    if (zip_) zip_discard(zip_);
    zip_ = nullptr;
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
