#include "driver/data_folder.h"

#include <cstdlib>
#include <filesystem>

#include "engine/absolute_path.h"

namespace fs = std::filesystem;

namespace {

std::string joinedList(const std::vector<std::string>& folders) {
    std::string text;
    for (const std::string& folder : folders) text += (text.empty() ? "" : ", ") + folder;
    return text;
}

}  // namespace

bool holdsShowContent(const std::string& folder) {
    std::error_code error;
    return fs::is_directory(fs::path(folder) / "resources", error) ||
           fs::is_regular_file(fs::path(folder) / "datafile.pak", error);
}

DataSearch findDataFolder(const std::string& named, const char* environment,
                          const std::string& executableFolder) {
    DataSearch search;
    // A folder the user named is the only one tried: quietly playing other
    // content than the one asked for would hide the mistake.
    if (!named.empty()) {
        search.looked = {absolutePath(named)};
    } else if (environment && *environment) {
        search.looked = {absolutePath(environment)};
    } else {
        search.looked = {absolutePath(executableFolder + "/show"),
                         absolutePath(executableFolder + "/" VG_INSTALLED_DATA_FROM_BIN)};
    }
    for (const std::string& folder : search.looked) {
        if (holdsShowContent(folder)) {
            search.folder = folder;
            return search;
        }
    }
    const char* how = !named.empty() ? " (from --data)"
                      : environment && *environment ? " (from VESPER_GLINT_DATA)"
                                                    : "";
    search.error = "no show content (resources/ or datafile.pak) in " + joinedList(search.looked) +
                   how + "; name the folder with --data DIR or VESPER_GLINT_DATA";
    return search;
}

DataSearch findDataFolder(const std::string& named) {
    return findDataFolder(named, std::getenv("VESPER_GLINT_DATA"), executableFolder());
}

std::string executableFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}
