// Fuzz target: the resource archive reader on any bytes as datafile.pak.
// Every member the file lists is read by name, and a few names it may not
// hold, as the engine asks for them.
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/archive.h"

namespace {

const std::string& scratchPath() {
    static const std::string path = "/tmp/vg-zip-fuzz-" + std::to_string(::getpid()) + ".pak";
    return path;
}

// The names the file lists, through libzip itself, independent of Archive.
std::vector<std::string> listedNames(const std::string& path) {
    std::vector<std::string> names;
    int code = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (!zip) return names;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count && i < 64; ++i)
        if (const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0)) names.push_back(name);
    zip_discard(zip);
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (!file) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::vector<std::string> names = listedNames(scratchPath());
    names.insert(names.end(), {"kelmuth.ogg", "kuva1.jpg", "", "../kuva1.jpg"});
    Archive archive;
    std::string error;
    if (!archive.open(scratchPath(), error)) return 0;
    for (const std::string& name : names) {
        const auto bytes = archive.read(name, error);
        if (bytes && bytes->size() > kMaxMemberBytes) __builtin_trap();
    }
    return 0;
}
