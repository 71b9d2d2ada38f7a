#include "tools/capture/output_check.h"

#include <filesystem>
#include <system_error>

#include "driver/data_folder.h"
#include "engine/absolute_path.h"
#include "engine/output_file.h"
#include "engine/system_names.h"

namespace fs = std::filesystem;

namespace {

// Checked as the file will be written (engine/output_file.h): an existing
// FIFO or device needs no folder that takes new files, as it is written in
// place.
std::string checkFileOutput(const std::string& option, const std::string& file, NotRegular notRegular) {
    if (file.empty()) return {};
    std::error_code ec;
    const fs::file_status status = fs::status(pathFromUtf8(file), ec);
    const bool exists = fs::exists(status);
    if (exists && fs::is_directory(status)) return option + ": " + file + " is a folder, not a file";
    const fs::path folder = pathFromUtf8(file).parent_path();
    if (!exists && !fs::is_directory(folder, ec))
        return option + ": folder " + utf8FromPath(folder) + " does not exist";
    const std::string problem = outputProblem(file, notRegular);
    return problem.empty() ? "" : option + ": cannot write " + file + ": " + problem;
}

}  // namespace

bool folderIsWritable(const std::string& dir) {
    // A new file made there and removed again, as every output is made.
    return outputProblem(dir + "/.vesper-capture-probe", NotRegular::Refuse).empty();
}

std::string prepareOutputs(CaptureOptions& options) {
    std::error_code ec;
    const DataSearch content = findDataFolder(options.showDir);
    if (!content.found()) return content.error;
    options.showDir = content.folder;

    options.outDir = absolutePath(options.outDir);
    if (options.writesPerFrameFiles()) {
        fs::create_directories(pathFromUtf8(options.outDir), ec);
        if (!fs::is_directory(pathFromUtf8(options.outDir), ec))
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
