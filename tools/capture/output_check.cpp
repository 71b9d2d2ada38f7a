#include "tools/capture/output_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "driver/data_folder.h"
#include "engine/absolute_path.h"

namespace fs = std::filesystem;

namespace {

std::string checkFileFolder(const std::string& option, const std::string& file) {
    if (file.empty()) return {};
    fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return option + ": folder " + folder.string() + " does not exist";
    if (fs::is_directory(file, ec)) return option + ": " + file + " is a folder, not a file";
    if (!folderIsWritable(folder.string()))
        return option + ": folder " + folder.string() + " is not writable";
    return {};
}

}  // namespace

bool folderIsWritable(const std::string& dir) {
    const std::string probe = dir + "/.vesper-capture-probe-" + std::to_string(getpid());
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

std::string prepareOutputs(CaptureOptions& options) {
    std::error_code ec;
    const DataSearch content = findDataFolder(options.showDir);
    if (!content.found()) return content.error;
    options.showDir = content.folder;

    options.outDir = absolutePath(options.outDir);
    if (options.writesPerFrameFiles()) {
        fs::create_directories(options.outDir, ec);
        if (!fs::is_directory(options.outDir, ec))
            return "--out: cannot create folder " + options.outDir;
        if (!folderIsWritable(options.outDir))
            return "--out: folder " + options.outDir + " is not writable";
    }

    struct FileOption {
        const char* name;
        std::string* path;
    };
    for (FileOption file :
         {FileOption{"--sheet", &options.sheetFile}, FileOption{"--video", &options.videoFile},
          FileOption{"--stats", &options.statsFile}}) {
        if (file.path->empty()) continue;
        *file.path = absolutePath(*file.path);
        std::string error = checkFileFolder(file.name, *file.path);
        if (!error.empty()) return error;
    }
    return {};
}
