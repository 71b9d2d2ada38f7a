#pragma once
// Running the vesper-capture program itself in a test: each run a fresh
// process (the show's effects keep class-wide state that only a new process
// resets) with its own show folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/support/build_paths.h"
#include "tests/support/scratch_folder.h"

namespace capture_program {

inline const std::string kProgram = build_paths::binaryDir() + "/vesper-capture";

struct Outcome {
    int status = -1;  // -1 when ended by a signal
    std::string errors;
};

using ::readFile;

// `prefix` runs in the same shell first (a ulimit, say).
inline Outcome run(const std::string& arguments, const std::filesystem::path& folder,
                   const std::string& prefix = "") {
    const std::filesystem::path errors = folder / "stderr.txt";
    const std::string command = prefix + " '" + kProgram + "' " + arguments + " >/dev/null 2>'" +
                                errors.string() + "'";
    const int raw = std::system(("sh -c \"" + command + "\"").c_str());
    const int shell = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    // The shell reports a child ended by a signal as 128 + the signal.
    return {shell > 128 ? -1 : shell, readFile(errors)};
}

// A show folder of the test's own with the generated content linked in when
// it exists, otherwise empty (placeholder pictures, a silent song).
inline std::filesystem::path showFolder(const std::filesystem::path& scratch) {
    namespace fs = std::filesystem;
    const fs::path show = scratch / "show";
    fs::create_directories(show);
    const fs::path generated = build_paths::showDir();
    if (!fs::is_directory(generated / "resources")) return show;
    for (const auto& entry : fs::directory_iterator(generated)) {
        const std::string name = entry.path().filename().string();
        if (name == "resources" || entry.path().extension() == ".obj")
            fs::create_symlink(entry.path(), show / name);
    }
    return show;
}

// Every file under `folder`, by its path relative to it.
inline std::map<std::string, std::string> filesOf(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] = readFile(entry.path());
    return files;
}

// A stand-in for ffmpeg that keeps the raw frames it is given (the output
// file comes last), so the frames themselves are compared.
inline std::filesystem::path keepingEncoder(const std::filesystem::path& folder) {
    const std::filesystem::path script = folder / "keeping-ffmpeg";
    std::ofstream(script) << "#!/bin/sh\nfor last; do :; done\ncat > \"$last\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script;
}

// A scratch folder per case holding a show folder of the case's own, so
// its archive is packed where no other case reads one.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(kProgram)) << kProgram << " is not built";
        show_ = showFolder(scratch_);
    }
    ScratchFolder folder_{"capture"};
    const std::filesystem::path& scratch_ = folder_.path();
    std::filesystem::path show_;
};

}  // namespace capture_program
