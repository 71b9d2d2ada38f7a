#include "tools/capture/output_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "driver/data_folder.h"
#include "engine/absolute_path.h"
#include "engine/output_file.h"

namespace fs = std::filesystem;

namespace {

// Checked as the file will be written (engine/output_file.h): an existing
// FIFO or device needs no folder that takes new files, as it is written in
// place.
std::string checkFileOutput(const std::string& option, const std::string& file, NotRegular notRegular) {
    if (file.empty()) return {};
    struct stat info {};
    const bool exists = stat(file.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return option + ": " + file + " is a folder, not a file";
    const fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    if (!exists && !fs::is_directory(folder, ec))
        return option + ": folder " + folder.string() + " does not exist";
    const std::string problem = outputProblem(file, notRegular);
    return problem.empty() ? "" : option + ": cannot write " + file + ": " + problem;
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
        // A video's index goes to its front at the end: it needs a file it can seek.
        const NotRegular notRegular =
            file.path == &options.videoFile ? NotRegular::FollowLink : NotRegular::WriteInPlace;
        std::string error = checkFileOutput(file.name, *file.path, notRegular);
        if (!error.empty()) return error;
    }
    return {};
}
