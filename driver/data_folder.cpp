#include "driver/data_folder.h"

#include <filesystem>
#include <optional>

#include "engine/absolute_path.h"
#include "engine/system_names.h"

namespace fs = std::filesystem;

namespace {

std::string joinedList(const std::vector<std::string>& folders) {
    std::string text;
    for (const std::string& folder : folders) text += (text.empty() ? "" : ", ") + folder;
    return text;
}

// The installed content, from the program's folder; the program's folder
// itself where the content lies beside the programs (Windows).
std::string installedFolder(const std::string& executableFolder) {
    const std::string fromBin = VG_INSTALLED_DATA_FROM_BIN;
    return fromBin == "." ? executableFolder : executableFolder + "/" + fromBin;
}

}  // namespace

bool holdsShowContent(const std::string& folder) {
    std::error_code error;
    return fs::is_directory(pathFromUtf8(folder) / "resources", error) ||
           fs::is_regular_file(pathFromUtf8(folder) / "datafile.pak", error);
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
        search.looked = {absolutePath(executableFolder + "/show"), absolutePath(installedFolder(executableFolder))};
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
    const std::optional<std::string> environment = environmentValue("VESPER_GLINT_DATA");
    return findDataFolder(named, environment ? environment->c_str() : nullptr, executableFolder());
}
